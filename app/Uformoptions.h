// The options dialog: shows the preferences on its "General options" and
// "Event options" pages and writes them back into the caller's record only
// when the user closes it with OK. It never writes the settings file.
#pragma once

#include <QDialog>
#include <QTime>
#include <array>
#include <memory>

#include "app/Vnsettings.h"

class QFrame;

namespace Ui {
class FormOptions;
}

// A wallpaper file that is there but no picture is refused with a message
// (true); a missing one is kept, as it may come back (a removable disk).
bool RefusedWallpaperFile(const QString& path, QWidget* parent);

class TFormOptions : public QDialog {
    Q_OBJECT

public:
    // The colour buttons' tags, which name the panels they belong to.
    enum TColorPanel : int {
        cpWeekends,
        cpCurrDate,
        cpGrid,
        cpFont,
        cpMisc,
        cpAnniv,
        cpBirth,
        cpSpec,
        cpMeet,
        ColorPanelCount
    };

    // options must outlive the dialog; its Accepted says how the dialog was
    // closed. The Browse buttons start in browseFolder (the program's folder).
    TFormOptions(QWidget* owner, TProgOptions* options, const QString& browseFolder = {});
    ~TFormOptions() override;

    TColor PanelColor(int tag) const { return FColors[tag]; }

    void done(int result) override;

private:
    void ConnectControls();
    void LoadControls();
    void LoadCalendarControls();
    void LoadColors();
    void StoreControls();
    void StoreColors();
    void SetPanelColor(int tag, TColor color);
    QFrame* Panel(int tag) const;

    void check_DisplayAtClick(bool checked);
    void check_ShowCurrDateClick(bool checked);
    void check_UseWallpaperClick(bool checked);
    void btnColorClick(int tag);
    void btnBrowseClick();
    // A new wallpaper file that is no picture: says so and is true.
    bool RefusedWallpaper(const QString& path);
    void btnBrowseActionClick();
    void btnBrowseSoundClick();

    std::unique_ptr<Ui::FormOptions> ui;
    TProgOptions* options_;
    QString browseFolder_;
    std::array<TColor, ColorPanelCount> FColors{};
    // What the time picker showed when the dialog opened: an untouched
    // picker gives back the stored time exactly, not rounded to its steps.
    QTime FLoadedTime;
    bool FDisplayTimeValid = false;
};
