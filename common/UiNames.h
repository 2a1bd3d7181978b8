#pragma once
// The names users and their scripts see, kept from the original form design whatever
// the C++ around them is called: the windows' Qt object names (what findChild and
// accessibility tools find) and the places error reports name ("in
// Kestrune2021/08/31.Form1.PushButton7_Click at line 490"). Change none of them: stored
// scripts and reports filed by users rely on them. The step numbers ("at line 490") are
// named beside the procedure that runs the steps.

#include "common/ErrorReport.h"

namespace velmora {

// A Qt object name or one part of a report place.
using UiName = QLatin1StringView;

namespace ui {

namespace mainWindow {
inline constexpr UiName kWindow{"Form1"};
inline constexpr UiName kAccessFrame{"Frame1"};
inline constexpr UiName kAccessFileLabel{"Label5"};
inline constexpr UiName kAccessFileBox{"Text5"};
inline constexpr UiName kPasswordLabel{"lblPassword"};
inline constexpr UiName kPasswordBox{"Text6"};
inline constexpr UiName kParadoxFrame{"Frame3"};
inline constexpr UiName kParadoxFolderLabel{"Label1"};
inline constexpr UiName kParadoxFolderBox{"Text1"};
inline constexpr UiName kPreviewFrame{"Frame2"};
inline constexpr UiName kPreviewCheck{"Check1"};
inline constexpr UiName kPerFileOption{"Option1"};
inline constexpr UiName kPerTableOption{"Option2"};
inline constexpr UiName kAccessRulesCheck{"accessRules"};  // added after the form design
inline constexpr UiName kBrowseAccessButton{"PushButton1"};
inline constexpr UiName kBrowseParadoxButton{"PushButton2"};
inline constexpr UiName kTestConnectionButton{"PushButton3"};
inline constexpr UiName kAccessSampleButton{"PushButton4"};
inline constexpr UiName kHelpButton{"PushButton5"};
inline constexpr UiName kParadoxSampleButton{"PushButton6"};
inline constexpr UiName kStartButton{"PushButton7"};
inline constexpr UiName kCancelButton{"CancelRun"};  // shown while a run goes on
inline constexpr UiName kProgressBar{"ProgressBar1"};
inline constexpr UiName kAccessFileDialog{"CommonDialog1"};
inline constexpr UiName kFolderDialog{"SelectFolder"};
// Added with the Options dialog and the menu bar.
inline constexpr UiName kOptionsButton{"OptionsButton"};
inline constexpr UiName kMenuBar{"MenuBar"};
inline constexpr UiName kOpenFolderButton{"OpenFolder"};

inline constexpr ReportPlace kLoad{kWindow, UiName("Form_Load")};
inline constexpr ReportPlace kBrowseAccessClick{kWindow, UiName("PushButton1_Click")};
inline constexpr ReportPlace kBrowseParadoxClick{kWindow, UiName("PushButton2_Click")};
inline constexpr ReportPlace kTestConnectionClick{kWindow, UiName("PushButton3_Click")};
inline constexpr ReportPlace kAccessSampleClick{kWindow, UiName("PushButton4_Click")};
inline constexpr ReportPlace kHelpClick{kWindow, UiName("PushButton5_Click")};
inline constexpr ReportPlace kParadoxSampleClick{kWindow, UiName("PushButton6_Click")};
// The conversion run, started by "Start Converting" in the window and on the command line.
inline constexpr ReportPlace kStartClick{kWindow, UiName("PushButton7_Click")};
}  // namespace mainWindow

// The SQL Preview window.
namespace preview {
inline constexpr UiName kWindow{"Form2"};
inline constexpr UiName kStatementList{"ListView1"};
inline constexpr UiName kStatementMenu{"TickMenu"};
inline constexpr UiName kExecuteButton{"PushButton1"};
inline constexpr UiName kCopySqlButton{"PushButton2"};
inline constexpr UiName kFindReplaceButton{"PushButton3"};
inline constexpr UiName kCopyErrorButton{"PushButton4"};
inline constexpr UiName kBackButton{"PushButton5"};
inline constexpr UiName kJumpToErrorButton{"PushButton6"};
inline constexpr UiName kDatatypesButton{"PushButton7"};
inline constexpr UiName kEmailErrorButton{"PushButton8"};
inline constexpr UiName kSkipButton{"PushButton9"};
inline constexpr UiName kCancelButton{"CancelExecute"};  // shown while Execute SQL runs
inline constexpr UiName kErrorFrame{"Frame2"};
inline constexpr UiName kErrorBox{"Text1"};
inline constexpr UiName kProgressBar{"ProgressBar1"};

inline constexpr ReportPlace kLoad{kWindow, UiName("Form_Load")};
// Execute SQL, in the window and for a statement file on the command line.
inline constexpr ReportPlace kExecuteClick{kWindow, UiName("PushButton1_Click")};
inline constexpr ReportPlace kCopySqlClick{kWindow, UiName("PushButton2_Click")};
inline constexpr ReportPlace kFindReplaceClick{kWindow, UiName("PushButton3_Click")};
inline constexpr ReportPlace kCopyErrorClick{kWindow, UiName("PushButton4_Click")};
inline constexpr ReportPlace kBackClick{kWindow, UiName("PushButton5_Click")};
inline constexpr ReportPlace kJumpToErrorClick{kWindow, UiName("PushButton6_Click")};
inline constexpr ReportPlace kDatatypesClick{kWindow, UiName("PushButton7_Click")};
inline constexpr ReportPlace kEmailErrorClick{kWindow, UiName("PushButton8_Click")};
inline constexpr ReportPlace kSkipClick{kWindow, UiName("PushButton9_Click")};
}  // namespace preview

namespace findReplace {
inline constexpr UiName kWindow{"Form3"};
inline constexpr UiName kFindLabel{"Label1"};
inline constexpr UiName kReplaceLabel{"Label2"};
inline constexpr UiName kFindBox{"Text1"};
inline constexpr UiName kReplaceBox{"Text2"};
inline constexpr UiName kCancelButton{"PushButton1"};
inline constexpr UiName kReplaceButton{"PushButton2"};
inline constexpr UiName kMatchCaseCheck{"MatchCase"};
inline constexpr UiName kEveryOccurrenceCheck{"ReplaceAll"};

inline constexpr ReportPlace kLoad{kWindow, UiName("Form_Load")};
inline constexpr ReportPlace kCancelClick{kWindow, UiName("PushButton1_Click")};
inline constexpr ReportPlace kReplaceClick{kWindow, UiName("PushButton2_Click")};
}  // namespace findReplace

namespace editLine {
inline constexpr UiName kWindow{"Form4"};
inline constexpr UiName kStatementBox{"Text1"};
inline constexpr UiName kCancelButton{"PushButton1"};
inline constexpr UiName kOkButton{"PushButton2"};

inline constexpr ReportPlace kLoad{kWindow, UiName("Form_Load")};
inline constexpr ReportPlace kCancelClick{kWindow, UiName("PushButton1_Click")};
inline constexpr ReportPlace kOkClick{kWindow, UiName("PushButton2_Click")};
}  // namespace editLine

// Datatypes Conversion, the run's type mappings.
namespace datatypes {
inline constexpr UiName kWindow{"Form5"};
inline constexpr UiName kMappingList{"ListView1"};
inline constexpr UiName kBackButton{"PushButton5"};

inline constexpr ReportPlace kLoad{kWindow, UiName("Form_Load")};
inline constexpr ReportPlace kBackClick{kWindow, UiName("PushButton5_Click")};
}  // namespace datatypes

// The Options dialog: the conversion choices the command line makes with its options.
namespace options {
inline constexpr UiName kWindow{"Options"};
inline constexpr UiName kRefuseUnmappable{"RefuseUnmappable"};
inline constexpr UiName kReplaceUnmappable{"ReplaceUnmappable"};
inline constexpr UiName kBinaryEmpty{"BinaryEmpty"};
inline constexpr UiName kKeepBinary{"KeepBinary"};
inline constexpr UiName kJet3CodePage{"Jet3CodePage"};
inline constexpr UiName kVerify{"Verify"};
inline constexpr UiName kRejectsFile{"RejectsFile"};
inline constexpr UiName kStrictReading{"StrictReading"};
}  // namespace options

// The target folder's checks, shared by the window's commands and the run.
namespace paradoxFolder {
inline constexpr UiName kModule{"Paradox"};
inline constexpr ReportPlace kCopyDb{kModule, UiName("CopyDB")};
inline constexpr ReportPlace kAgreeToNewTables{kModule, UiName("AgreeToNewTables")};
}  // namespace paradoxFolder

}  // namespace ui
}  // namespace velmora
