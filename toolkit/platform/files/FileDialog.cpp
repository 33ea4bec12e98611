#include "FilesState.h"

#include <platform/overrides.h>
#include <platform/util.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstring>
#include <utility>

namespace {

constexpr int kPathTooLong = -2;

// The dialogs start where the operator can write: in the given directory (the program's)
// when it is writable, as in the build tree, else in the documents directory (an installed
// program's directory is a system one), else at home.
QString startDirectory(const QString& given) {
    const QFileInfo info(given);
    if (info.isDir() && info.isWritable())
        return given;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// QFileDialog reads its history from the user's Qt settings (QtProject.conf) when it opens
// and writes it there when it goes. The tool keeps no state beyond its parameter files, so
// while a dialog lives those settings lie in a scratch directory that goes with it. (On
// Windows the native format is the registry, which this does not reach.)
class ScratchUserSettings {
public:
    ScratchUserSettings() {
        if (!m_scratch.isValid())
            return;
        const QSettings probe(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("x"));
        m_previous = QFileInfo(probe.fileName()).path();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_scratch.path());
    }
    ~ScratchUserSettings() {
        if (!m_previous.isEmpty())
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_previous);
    }
    ScratchUserSettings(const ScratchUserSettings&) = delete;
    ScratchUserSettings& operator=(const ScratchUserSettings&) = delete;

private:
    QTemporaryDir m_scratch;
    QString m_previous;
};

// With a restricted extension the chosen file has it: a typed "foo.txt" becomes
// "foo.txt.dat". Done before the dialog accepts, so that its overwrite question, and its
// check that a file to load exists, concern the file that is used; and a dialog for a file to
// load offers its Load button for a name that exists with the extension, which it accepts.
class RestrictedFileDialog : public QFileDialog {
public:
    RestrictedFileDialog(const QString& title, const QString& directory, QString extension)
        : QFileDialog(nullptr, title, directory), m_extension(std::move(extension)) {
        // After the dialog's own look at the name, which greys Load for a name that is no file.
        if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            connect(name, &QLineEdit::textChanged, this, &RestrictedFileDialog::offerLoad);
    }

    void accept() override {
        if (const QString chosen = chosenFile(); !chosen.isEmpty())
            selectChosen(chosen);
        QFileDialog::accept();
    }

protected:
    void showEvent(QShowEvent* event) override {
        QFileDialog::showEvent(event);
        // The button box makes its buttons anew when the mode is set, before the dialog shows.
        if (QPushButton* button = acceptButton())
            button->installEventFilter(this);
        offerLoad();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange && watched == acceptButton())
            offerLoad();
        return QFileDialog::eventFilter(watched, event);
    }

private:
    // The one file named, with the extension where it lacks it; empty where nothing changes.
    QString chosenFile() const {
        const QStringList files = selectedFiles();
        if (m_extension.isEmpty() || files.size() != 1)
            return {};
        const QFileInfo file(files.constFirst());
        if (file.isDir() || file.suffix().compare(m_extension, Qt::CaseInsensitive) == 0)
            return {};
        return file.filePath() + QLatin1Char('.') + m_extension;
    }

    // selectFile() leaves the name field alone while it has the keyboard (Return there, or OK
    // pressed by a screen reader, which takes no focus), so the field lets it go meanwhile.
    void selectChosen(const QString& path) {
        QWidget* focused = focusWidget();
        if (focused)
            focused->clearFocus();
        selectFile(path);
        if (focused)
            focused->setFocus(Qt::OtherFocusReason);
    }

    QPushButton* acceptButton() const {
        const auto* box = findChild<QDialogButtonBox*>();
        if (!box)
            return nullptr;
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
                return qobject_cast<QPushButton*>(button);
        return nullptr;
    }

    // The file loaded is the name with the extension.
    void offerLoad() {
        QPushButton* button = acceptButton();
        if (button && !button->isEnabled() && acceptMode() == AcceptOpen &&
            QFileInfo(chosenFile()).isFile())
            button->setEnabled(true);
    }

    QString m_extension;
};

int showDialog(const platform::FileSelectRequest& request, int restrictExtension,
               int allowMakeDirectory, std::string& chosen) {
    const ScratchUserSettings scratchSettings;
    const QString filter = QString::fromStdString(request.fileTypeList);
    const bool restricted = restrictExtension && filter.startsWith(QLatin1String("*."));
    RestrictedFileDialog dialog(QString::fromStdString(request.title),
                                QFile::decodeName(request.defaultDirectory.c_str()),
                                restricted ? filter.mid(2) : QString());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly, allowMakeDirectory == 0);
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
    const QString directory = startDirectory(QFile::decodeName(defaultDirectory));
    const platform::FileSelectRequest request{
        QFile::encodeName(directory).toStdString(), defaultFileSpec ? defaultFileSpec : "",
        fileTypeList ? fileTypeList : "", title ? title : "", buttonLabel};
    std::string chosen;
    const platform::FilesState* files = platform::FilesState::current();
    const int result = files && files->fileSelectAnswer
                           ? files->fileSelectAnswer(request, chosen)
                           : showDialog(request, restrictExtension, allowMakeDirectory, chosen);
    if (result <= 0)
        return result;
    if (chosen.size() >= static_cast<size_t>(kMaxPathnameLen))
        return kPathTooLong;
    std::memcpy(pathName, chosen.c_str(), chosen.size() + 1);
    return result;
}

namespace platform {

namespace {

// The dialog opens and the caller goes on; `chosen` runs when the operator has answered.
void chooseFileWithoutWaiting(QWidget* parent, const QString& directory, const QString& fileName,
                              const QString& filter, const QString& title, int buttonLabel,
                              std::function<void(const QString&)> chosen) {
    const FilesState* files = FilesState::current();
    if (files && files->fileSelectAnswer) {
        std::string path;
        const FileSelectRequest request{QFile::encodeName(directory).toStdString(),
                                        fileName.toStdString(), filter.toStdString(),
                                        title.toStdString(), buttonLabel};
        chosen(files->fileSelectAnswer(request, path) > 0 ? QFile::decodeName(path.c_str())
                                                          : QString());
        return;
    }
    const bool restricted = filter.startsWith(QLatin1String("*.")) && !filter.contains(' ');
    auto* dialog = new RestrictedFileDialog(title, startDirectory(directory),
                                            restricted ? filter.mid(2) : QString());
    dialog->setParent(parent, dialog->windowFlags());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilter(filter);
    if (buttonLabel == kButtonLoad) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setLabelText(QFileDialog::Accept, QFileDialog::tr("Load"));
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
    }
    dialog->selectFile(fileName);
    // The user's Qt settings lie in a scratch directory for as long as the dialog lives.
    auto scratchSettings = std::make_shared<ScratchUserSettings>();
    QObject::connect(dialog, &QFileDialog::finished, dialog,
                     [dialog, chosen = std::move(chosen), scratchSettings](int result) {
                         const QStringList files = dialog->selectedFiles();
                         chosen(result == QDialog::Accepted && !files.isEmpty() ? files.constFirst()
                                                                                : QString());
                     });
    dialog->open();
}

} // namespace

void chooseFileToSave(QWidget* parent, const QString& directory, const QString& fileName,
                      const QString& filter, const QString& title,
                      std::function<void(const QString&)> chosen) {
    chooseFileWithoutWaiting(parent, directory, fileName, filter, title, kButtonOk,
                             std::move(chosen));
}

void chooseFileToOpen(QWidget* parent, const QString& directory, const QString& fileName,
                      const QString& filter, const QString& title,
                      std::function<void(const QString&)> chosen) {
    chooseFileWithoutWaiting(parent, directory, fileName, filter, title, kButtonLoad,
                             std::move(chosen));
}

void setFileSelectAnswer(FileSelectAnswer answer) {
    if (FilesState* files = FilesState::current())
        files->fileSelectAnswer = std::move(answer);
}

} // namespace platform
