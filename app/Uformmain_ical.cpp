// The main window's iCalendar commands: export of the events the export
// dialog selects to a .ics file, and import of a .ics file.
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/Reminderpause.h"
#include "app/Uformmain.h"
#include "platform/Dialogs.h"
#include "reminder/Uformeventsexport.h"
#include "reminder/Vncalendarreminder.h"
#include "reminder/Vnicalendarfiles.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"

namespace {

const QString kIcsFilter = QStringLiteral("iCalendar files (*.ics)|*.ics");

// The export dialog asks for range, categories and path; its file type
// does not apply, and its Browse offers .ics files.
void PrepareForIcs(TFormEventsExport& form, QWidget* owner) {
    form.setWindowTitle(QStringLiteral("Export calendar (.ics)"));
    if (auto* group = form.findChild<QWidget*>(QStringLiteral("groupBox_FileType"))) group->hide();
    auto* edit = form.findChild<QLineEdit*>(QStringLiteral("edit_FileName"));
    auto* browse = form.findChild<QPushButton*>(QStringLiteral("btnBrowse"));
    if (!edit || !browse) return;
    edit->setText(QDir(DataFolder()).filePath(QStringLiteral("Calendar.ics")));
    QObject::disconnect(browse, &QPushButton::clicked, nullptr, nullptr);
    QObject::connect(browse, &QPushButton::clicked, &form, [edit, owner] {
        TFileDialogOptions options;
        options.Filter = kIcsFilter;
        options.DefaultExt = QStringLiteral("ics");
        options.InitialDir = DataFolder();
        if (const auto path = SaveFileDialog(options, owner)) edit->setText(*path);
    });
}

QString WithIcsSuffix(const QString& path) {
    const QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("ics"), Qt::CaseInsensitive) == 0) return path;
    return path + QStringLiteral(".ics");
}

}  // namespace

void TFormMainVNCR::mMenu_FileExportIcsClick() {
    TvnExportParams params;
    {
        TFormEventsExport form(this, &params, DataFolder());
        PrepareForIcs(form, &form);
        RunModal(form);
    }
    if (!params.Accepted) return;
    params.FileName = WithIcsSuffix(params.FileName.trimmed());
    const QString error = ExportIcsEvents(*Calendar(), params);
    TReminderPause pause(*Calendar());
    if (error.isEmpty())
        ShowInformation(QStringLiteral("Calendar exported to \"%1\".").arg(params.FileName), this);
    else
        ShowWarning(error, this);
}

void TFormMainVNCR::ExtendImportedSeriesNow() {
    try {
        if (ExtendImportedSeries(*Calendar(), Now()) > 0) Calendar()->UpdateCalendar();
    } catch (const EDatabaseError& e) {
        ShowWarning(QStringLiteral("Imported repeating events could not be continued: %1")
                        .arg(QString::fromUtf8(e.what())),
                    this);
    }
}

void TFormMainVNCR::mMenu_FileImportIcsClick() {
    TFileDialogOptions options;
    options.Filter = kIcsFilter;
    options.DefaultExt = QStringLiteral("ics");
    options.InitialDir = DataFolder();
    std::optional<QString> path;
    {
        TReminderPause pause(*Calendar());
        path = OpenFileDialog(options, this);
    }
    if (!path) return;
    const TvnIcsImportReport report = ImportIcsEvents(*Calendar(), *path);
    TReminderPause pause(*Calendar());
    if (!report.Error.isEmpty()) {
        ShowWarning(report.Text(), this);
        return;
    }
    Calendar()->UpdateCalendar();
    NoteEventsChange(1);
    ShowInformation(report.Text(), this);
}
