#include "settings/FilePicker.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QStringList>

QString RunFilePicker(QWidget* parent, const TPickRequest& request) {
    QFileDialog dialog(parent, request.Title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.MustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Qt's picker has no "open as read-only" box, so there is none to hide.
    QStringList captions;
    for (const TFileFilter& filter : request.Filters)
        captions << filter.Caption;
    dialog.setNameFilters(captions);
    if (!request.FileName.isEmpty()) {
        const QFileInfo start(request.FileName);
        if (start.isDir()) {
            dialog.setDirectory(start.absoluteFilePath());
        } else {
            dialog.setDirectory(start.absolutePath());
            dialog.selectFile(start.fileName());
        }
    }
    // Qt reads a filter's patterns out of its caption and splits them at blanks only; these
    // captions part them with ';' as the Windows picker does, where "*.*" is every file. So the
    // picker's file list gets the patterns from here, at the start and at every choice.
    auto* files = dialog.findChild<QFileSystemModel*>();
    const auto usePatterns = [&request, files](qsizetype index) {
        if (!files || index < 0 || index >= request.Filters.size())
            return;
        QStringList patterns;
        for (const QString& part :
             request.Filters[index].Patterns.split(u';', Qt::SkipEmptyParts)) {
            const QString pattern = part.trimmed();
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        files->setNameFilters(patterns);
    };
    if (request.FilterIndex >= 0 && request.FilterIndex < captions.size())
        dialog.selectNameFilter(captions[request.FilterIndex]);
    usePatterns(captions.indexOf(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&](const QString& caption) { usePatterns(captions.indexOf(caption)); });
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.constFirst();
}
