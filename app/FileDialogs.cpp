#include "app/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "common/UiNames.h"

namespace velmora {

QStringList NameFiltersFromDialogFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) continue;
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        filters << parts[i] + QStringLiteral(" (") + patterns + u')';
    }
    return filters;
}

QString StartFolder(const QStringList& candidates) {
    for (const QString& folder : candidates)
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) return QDir::cleanPath(folder);
    return QDir::homePath();
}

QString SelectFolder(QWidget* owner, const QString& prompt, const QString& startFolder) {
    QFileDialog dialog(owner, prompt);
    dialog.setObjectName(ui::mainWindow::kFolderDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::LookIn, prompt);
    dialog.setDirectory(StartFolder({startFolder}));
    if (dialog.exec() != QDialog::Accepted) return QString();
    const QString chosen = dialog.selectedFiles().value(0);
    if (chosen.isEmpty() || !QFileInfo(chosen).isDir()) return QString();
    return QDir::cleanPath(chosen);
}

}  // namespace velmora
