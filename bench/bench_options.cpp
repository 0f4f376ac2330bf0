// Opening the options dialog (goal: at most 50 ms): Tools > Options on a
// started main window, the dialog built, filled from the preferences, shown
// and painted, then closed as by its close box; and the dialog alone.
//
//     bench_options
#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "app/Uformmain.h"
#include "app/Uformoptions.h"
#include "platform/Dialogs.h"
#include "store/Datafolder.h"
#include "support/BenchData.h"

namespace {

// Paints the form once, as its first showing would, and leaves it open: the
// gate then closes it as by its close box.
class PaintEveryForm : public TDialogHandler {
public:
    TDialogAnswer Answer(const TDialogRequest& request) override {
        if (request.Dialog) request.Dialog->grab();
        return {};
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    SetDataFolder(home.path() + '/');
    CreateDeliveredDatabase(DatabaseFilePath());
    PaintEveryForm handler;
    TScopedDialogHandler scoped(handler);
    TFormMainVNCR window;
    if (!window.FormCreate()) return 1;
    window.show();
    QAction* options = window.findChild<QAction*>(QStringLiteral("mMenu_ToolsOptions"));
    PrintBench("options_open_from_tools_menu", MedianSeconds(21, [&] { options->trigger(); }) * 1e3,
               "ms");
    TProgOptions record = window.Settings().ProgOptions;
    PrintBench("options_dialog_build_and_fill",
               MedianSeconds(21, [&] { TFormOptions form(&window, &record); }) * 1e3, "ms");
    return 0;
}
