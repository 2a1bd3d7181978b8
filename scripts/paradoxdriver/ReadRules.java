// Lists what the independent Java Paradox reader (leonhad/paradoxdriver) reads from the
// .VAL files of a folder: per field required, minimum, maximum and default; per table its
// references. A .VAL it cannot read shows as a warning. Run with the reader's classes on
// the class path: java -cp CLASSES:. ReadRules FOLDER
import com.googlecode.paradox.ConnectionInfo;
import com.googlecode.paradox.ParadoxConnection;
import com.googlecode.paradox.metadata.Field;
import com.googlecode.paradox.metadata.Table;
import com.googlecode.paradox.metadata.paradox.ParadoxReferentialIntegrity;
import com.googlecode.paradox.metadata.paradox.ParadoxTable;
import com.googlecode.paradox.metadata.paradox.ParadoxValidation;
import java.sql.DriverManager;
import java.sql.SQLWarning;
import java.util.Arrays;

public class ReadRules {
    public static void main(String[] args) throws Exception {
        Class.forName("com.googlecode.paradox.Driver");
        try (ParadoxConnection connection =
                     (ParadoxConnection) DriverManager.getConnection("jdbc:paradox:" + args[0])) {
            ConnectionInfo info = connection.getConnectionInfo();
            for (Table table : info.getCurrentSchema().list(info, null)) {
                if (!(table instanceof ParadoxTable)) continue;
                ParadoxTable paradox = (ParadoxTable) table;
                ParadoxValidation validation = paradox.getValidation();
                if (validation == null) continue;
                for (Field field : paradox.getFields()) {
                    if (!field.isRequired() && field.getMinValue() == null
                            && field.getMaxValue() == null && field.getDefaultValue() == null)
                        continue;
                    System.out.println(table.getName() + "." + field.getName()
                            + (field.isRequired() ? " required" : "")
                            + (field.getMinValue() != null ? " min=" + field.getMinValue() : "")
                            + (field.getMaxValue() != null ? " max=" + field.getMaxValue() : "")
                            + (field.getDefaultValue() != null ? " default=" + field.getDefaultValue() : ""));
                }
                if (validation.getReferentialIntegrity() != null)
                    for (ParadoxReferentialIntegrity reference : validation.getReferentialIntegrity())
                        System.out.println(table.getName() + " references " + reference.getDestinationTableName()
                                + " " + Arrays.toString(reference.getFields()) + "->"
                                + Arrays.toString(reference.getDestinationFields())
                                + (reference.isCascade() ? " cascade" : " prohibit")
                                + " as " + reference.getName());
            }
            for (SQLWarning w = info.getWarning(); w != null; w = w.getNextWarning())
                System.out.println("warning: " + w.getMessage());
        }
    }
}
