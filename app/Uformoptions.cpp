#include "app/Uformoptions.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>

#include "platform/Colors.h"
#include "platform/DatePicker.h"
#include "platform/DatePickerTyping.h"
#include "platform/Dialogs.h"
#include "platform/Pictures.h"
#include "ui_Uformoptions.h"

namespace {

// The week start list runs Sunday = 0 ... Saturday = 6; the record runs
// Monday = 1 ... Sunday = 7, so 7 modulo 7 is the list's Sunday.
constexpr int kSundayIndex = 0;
constexpr int kSunday = 7;

// A damaged record must not leave a list without a choice (OK would then
// store -1): a code outside the list shows the item of the key's default.
void SelectItem(QComboBox* box, int index, int fallback) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : fallback);
}

// The values the settings reader accepts: a plain colour or one of the
// desktop's palette.
bool IsStorableColor(TColor color) {
    return (color & 0xFF000000u) == 0 || IsSystemColor(color);
}

// What the time picker shows, so that what is stored is what was seen.
QTime WholeSeconds(const QTime& time) {
    return QTime(time.hour(), time.minute(), time.second());
}

const QString kPictureFilter = QStringLiteral(
    "All (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|JPEG Image File (*.jpg)|*.jpg|JPEG Image File "
    "(*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp");

}  // namespace

TFormOptions::TFormOptions(QWidget* owner, TProgOptions* options, const QString& browseFolder)
    : QDialog(owner),
      ui(std::make_unique<Ui::FormOptions>()),
      options_(options),
      browseFolder_(browseFolder) {
    ui->setupUi(this);
    SetSingleBorderDialog(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // The year is an edit with an up-down control in one; only the arrows
    // change it.
    auto* yearEdit = ui->upDown_YearToView->findChild<QLineEdit*>();
    yearEdit->setObjectName(QStringLiteral("edit_YearToView"));
    yearEdit->setReadOnly(true);
    const QString timeFormat = PickerTimeFormat(FormatSettings());
    if (!timeFormat.isEmpty()) ui->dtPicker_DisplayTime->setDisplayFormat(timeFormat);
    MakePickerTypable(*ui->dtPicker_DisplayTime);
    ConnectControls();
    LoadControls();
    ui->pageControl->setCurrentWidget(ui->tabSheet_General);
}

TFormOptions::~TFormOptions() = default;

QFrame* TFormOptions::Panel(int tag) const {
    QFrame* const panels[ColorPanelCount] = {
        ui->panel_ColorWeekends, ui->panel_ColorCurrDate, ui->panel_ColorGrid,
        ui->panel_ColorFont,     ui->panel_ColorMisc,     ui->panel_ColorAnniv,
        ui->panel_ColorBirth,    ui->panel_ColorSpec,     ui->panel_ColorMeet};
    return panels[tag];
}

void TFormOptions::ConnectControls() {
    connect(ui->check_DisplayAt, &QCheckBox::toggled, this, &TFormOptions::check_DisplayAtClick);
    connect(ui->check_ShowCurrDate, &QCheckBox::toggled, this,
            &TFormOptions::check_ShowCurrDateClick);
    connect(ui->check_UseWallpaper, &QCheckBox::toggled, this,
            &TFormOptions::check_UseWallpaperClick);
    // One handler for the nine colour buttons; each button's tag names its panel.
    for (int panel = 0; panel < ColorPanelCount; ++panel) {
        auto* button = Panel(panel)->findChild<QToolButton*>();
        const int tag = button->property("tag").toInt();
        connect(button, &QToolButton::clicked, this, [this, tag] { btnColorClick(tag); });
    }
    connect(ui->btnBrowse, &QPushButton::clicked, this, &TFormOptions::btnBrowseClick);
    connect(ui->btnBrowseAction, &QPushButton::clicked, this, &TFormOptions::btnBrowseActionClick);
    connect(ui->btnBrowseSound, &QPushButton::clicked, this, &TFormOptions::btnBrowseSoundClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormOptions::LoadControls() {
    const TProgOptions& o = *options_;
    const TProgOptions defaults;
    ui->check_RunAtWinStartup->setChecked(o.RunAtWinStartup);
    ui->check_MinimizeAtRun->setChecked(o.MinimizeAtRun);
    const bool weekStartValid = o.StartOfWeek >= 1 && o.StartOfWeek <= kSunday;
    SelectItem(ui->comboBox_StartOfWeek, weekStartValid ? o.StartOfWeek % kSunday : -1,
               defaults.StartOfWeek);
    LoadCalendarControls();
    ui->check_UseWallpaper->setChecked(o.UseWallpaper);
    ui->edit_Wallpaper->setText(o.Wallpaper);
    SelectItem(ui->comboBox_WallpaperPos, o.WallpaperPos, defaults.WallpaperPos);
    ui->check_DisplayHolidays->setChecked(o.DisplayHolidays);
    ui->check_PaintCurrDate->setChecked(o.PaintCurrDate);
    ui->check_ShowGrid->setChecked(o.ShowGrid);
    ui->check_PaintWeekends->setChecked(o.PaintWeekends);
    LoadColors();
    SelectItem(ui->comboBox_IFontSize, o.ItemFontSize, defaults.ItemFontSize);
    ui->edit_ActionFile->setText(o.DefAction);
    ui->edit_SoundFile->setText(o.DefSound);
    // A box set to the state it already had sends nothing, so the rules run
    // once more here for the enabled states to follow the record.
    check_DisplayAtClick(ui->check_DisplayAt->isChecked());
    check_ShowCurrDateClick(ui->check_ShowCurrDate->isChecked());
    check_UseWallpaperClick(ui->check_UseWallpaper->isChecked());
}

// The display time, the date to view.
void TFormOptions::LoadCalendarControls() {
    const TProgOptions& o = *options_;
    // 0 means never; a time outside the day (a damaged record) counts as 0.
    FDisplayTimeValid = o.DisplayTime > 0 && o.DisplayTime < 1;
    ui->check_DisplayAt->setChecked(FDisplayTimeValid);
    FLoadedTime = FDisplayTimeValid ? ToQTime(o.DisplayTime) : WholeSeconds(ToQTime(Time()));
    ui->dtPicker_DisplayTime->setTime(FLoadedTime);
    FLoadedTime = ui->dtPicker_DisplayTime->time();
    ui->check_ShowCurrDate->setChecked(o.ShowCurrDate);
    ui->upDown_YearToView->setValue(o.YearView);  // kept inside the offered years
    SelectItem(ui->comboBox_MonthToView, o.MonthView - 1, TProgOptions().MonthView - 1);
}

void TFormOptions::LoadColors() {
    const TProgOptions& o = *options_;
    const TProgOptions d;
    const std::pair<TColor, TColor> colors[ColorPanelCount] = {
        {o.ColorWeekends, d.ColorWeekends}, {o.ColorCurrDay, d.ColorCurrDay},
        {o.ColorGrid, d.ColorGrid},         {o.ColorFont, d.ColorFont},
        {o.ColorMisc, d.ColorMisc},         {o.ColorAnniv, d.ColorAnniv},
        {o.ColorBirth, d.ColorBirth},       {o.ColorSpec, d.ColorSpec},
        {o.ColorMeet, d.ColorMeet}};
    for (int tag = 0; tag < ColorPanelCount; ++tag) {
        const auto [color, fallback] = colors[tag];
        SetPanelColor(tag, IsStorableColor(color) ? color : fallback);
    }
    ui->check_UseEventColors->setChecked(o.UseEventColors);
}

void TFormOptions::SetPanelColor(int tag, TColor color) {
    FColors[tag] = color;
    QFrame* panel = Panel(tag);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, ColorToQColor(color));
    panel->setPalette(palette);
}

bool RefusedWallpaperFile(const QString& path, QWidget* parent) {
    if (path.isEmpty() || !QFileInfo::exists(path) || !LoadPicture(path).isNull()) return false;
    ShowWarning(QStringLiteral("\"%1\" is not a picture. The wallpaper stays as it was.").arg(path),
                parent);
    return true;
}

bool TFormOptions::RefusedWallpaper(const QString& path) {
    return path != options_->Wallpaper && RefusedWallpaperFile(path, this);
}

void TFormOptions::done(int result) {
    if (result == QDialog::Accepted && ui->check_UseWallpaper->isChecked() &&
        RefusedWallpaper(ui->edit_Wallpaper->text())) {
        ui->edit_Wallpaper->setText(options_->Wallpaper);  // the current one stays
        return;
    }
    options_->Accepted = result == QDialog::Accepted;
    if (options_->Accepted) StoreControls();
    QDialog::done(result);
}

void TFormOptions::StoreControls() {
    TProgOptions& o = *options_;
    // The picker holds a time of day only, so its value is a fraction of a day.
    const QTime picked = ui->dtPicker_DisplayTime->time();
    o.RunAtWinStartup = ui->check_RunAtWinStartup->isChecked();
    o.MinimizeAtRun = ui->check_MinimizeAtRun->isChecked();
    const int weekStart = ui->comboBox_StartOfWeek->currentIndex();
    o.StartOfWeek = weekStart == kSundayIndex ? kSunday : weekStart;
    o.DisplayHolidays = ui->check_DisplayHolidays->isChecked();
    // 00:00 gives 0, which means the calendar is never shown by time.
    if (!ui->check_DisplayAt->isChecked())
        o.DisplayTime = 0;
    else if (!FDisplayTimeValid || picked != FLoadedTime)
        o.DisplayTime = TimeOfQTime(picked);
    o.PaintCurrDate = ui->check_PaintCurrDate->isChecked();
    o.ShowGrid = ui->check_ShowGrid->isChecked();
    o.PaintWeekends = ui->check_PaintWeekends->isChecked();
    StoreColors();
    o.ItemFontSize = ui->comboBox_IFontSize->currentIndex();
    o.UseWallpaper = ui->check_UseWallpaper->isChecked();
    o.Wallpaper = ui->edit_Wallpaper->text();
    o.WallpaperPos = ui->comboBox_WallpaperPos->currentIndex();
    if (o.Wallpaper.isEmpty()) o.UseWallpaper = false;
    o.ShowCurrDate = ui->check_ShowCurrDate->isChecked();
    o.DefAction = ui->edit_ActionFile->text();
    o.DefSound = ui->edit_SoundFile->text();
    // The date to view is kept while it cannot be edited.
    if (!o.ShowCurrDate) {
        o.YearView = ui->upDown_YearToView->value();
        o.MonthView = ui->comboBox_MonthToView->currentIndex() + 1;
    }
}

void TFormOptions::StoreColors() {
    TProgOptions& o = *options_;
    o.ColorGrid = FColors[cpGrid];
    o.ColorWeekends = FColors[cpWeekends];
    o.ColorCurrDay = FColors[cpCurrDate];
    o.ColorFont = FColors[cpFont];
    o.UseEventColors = ui->check_UseEventColors->isChecked();
    o.ColorAnniv = FColors[cpAnniv];
    o.ColorBirth = FColors[cpBirth];
    o.ColorSpec = FColors[cpSpec];
    o.ColorMeet = FColors[cpMeet];
    o.ColorMisc = FColors[cpMisc];
}

void TFormOptions::check_DisplayAtClick(bool checked) {
    ui->dtPicker_DisplayTime->setEnabled(checked);
}

void TFormOptions::check_ShowCurrDateClick(bool checked) {
    ui->upDown_YearToView->setEnabled(!checked);
    ui->comboBox_MonthToView->setEnabled(!checked);
}

void TFormOptions::check_UseWallpaperClick(bool checked) {
    ui->edit_Wallpaper->setEnabled(checked);
    ui->btnBrowse->setEnabled(checked);
    ui->comboBox_WallpaperPos->setEnabled(checked);
}

void TFormOptions::btnColorClick(int tag) {
    if (const auto chosen = ColourDialog(ColorToQColor(FColors[tag]), this))
        SetPanelColor(tag, ColorFromQColor(*chosen));
}

void TFormOptions::btnBrowseClick() {
    TFileDialogOptions options;
    options.Filter = kPictureFilter;
    options.InitialDir = browseFolder_;
    if (const auto path = OpenPictureDialog(options, this); path && !RefusedWallpaper(*path))
        ui->edit_Wallpaper->setText(*path);
}

void TFormOptions::btnBrowseActionClick() {
    TFileDialogOptions options;
    options.Title = QStringLiteral("Open..");
    options.Filter = QStringLiteral("All files(*.*)|*.*");
    options.InitialDir = browseFolder_;
    if (const auto path = OpenFileDialog(options, this)) ui->edit_ActionFile->setText(*path);
}

void TFormOptions::btnBrowseSoundClick() {
    TFileDialogOptions options;
    options.Title = QStringLiteral("Open..");
    options.Filter = QStringLiteral("Sound files(*.mp3, *.wav)|*.mp3;*.wav");
    options.InitialDir = browseFolder_;
    if (const auto path = OpenFileDialog(options, this)) ui->edit_SoundFile->setText(*path);
}
