#include "Toolkit.h"

#include <platform/overrides.h>
#include <platform/util.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <cstring>

namespace {

constexpr int kPathTooLong = -2;

int showDialog(const platform::FileSelectRequest& request, int restrictExtension,
               int allowMakeDirectory, std::string& chosen) {
    QFileDialog dialog(nullptr, QString::fromStdString(request.title),
                       QString::fromStdString(request.defaultDirectory));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly, allowMakeDirectory == 0);
    const QString filter = QString::fromStdString(request.fileTypeList);
    dialog.setNameFilter(filter);
    if (request.buttonLabel == kButtonLoad) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setLabelText(QFileDialog::Accept, QFileDialog::tr("Load"));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setLabelText(QFileDialog::Accept, QFileDialog::tr("OK"));
    }
    if (restrictExtension && filter.startsWith(QLatin1String("*.")))
        dialog.setDefaultSuffix(filter.mid(2));
    dialog.selectFile(QString::fromStdString(request.defaultFileSpec));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return 0;
    const QString path = dialog.selectedFiles().constFirst();
    chosen = QFile::encodeName(path).toStdString();
    return QFileInfo::exists(path) ? kExistingFileSelected : kNewFileSelected;
}

} // namespace

int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec,
                    const char* fileTypeList, const char* title, int buttonLabel, int,
                    int restrictExtension, int /* allowCancel: Qt's dialog always can */,
                    int allowMakeDirectory, char* pathName) {
    const platform::FileSelectRequest request{
        defaultDirectory ? defaultDirectory : "", defaultFileSpec ? defaultFileSpec : "",
        fileTypeList ? fileTypeList : "", title ? title : "", buttonLabel};
    std::string chosen;
    const platform::Toolkit* toolkit = platform::Toolkit::current();
    const int result = toolkit && toolkit->fileSelectAnswer
                           ? toolkit->fileSelectAnswer(request, chosen)
                           : showDialog(request, restrictExtension, allowMakeDirectory, chosen);
    if (result <= 0)
        return result;
    if (chosen.size() >= static_cast<size_t>(kMaxPathnameLen))
        return kPathTooLong;
    std::memcpy(pathName, chosen.c_str(), chosen.size() + 1);
    return result;
}

namespace platform {

void setFileSelectAnswer(FileSelectAnswer answer) {
    if (Toolkit* toolkit = Toolkit::current())
        toolkit->fileSelectAnswer = std::move(answer);
}

} // namespace platform
