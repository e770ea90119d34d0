// Start-up to a shown main window, timed from main(). With --samples FOLDER SECONDS the window
// adds the two joinable samples through a faked open dialog and stays open for a screenshot.

#include <wx/app.h>
#include <wx/init.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_app.h"
#include "app/main_dialog.h"
#include "fakes/recording_file_dialogs.h"
#include "resources/resource_ids.h"

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point g_start;

void WhenShown(std::function<void(app::CMainDialog*)> then) {
    auto* dialog = dynamic_cast<app::CMainDialog*>(wxTheApp->GetTopWindow());
    if (!dialog || !dialog->IsShownOnScreen()) {
        wxTheApp->CallAfter([then] { WhenShown(then); });
        return;
    }
    then(dialog);
}

}  // namespace

int main(int argc, char** argv) {
    g_start = Clock::now();
    std::string samples = argc >= 4 && std::strcmp(argv[1], "--samples") == 0 ? argv[2] : "";
    int seconds = samples.empty() ? 0 : std::atoi(argv[3]);
    auto* theApp = new app::CMainApp;
    wxApp::SetInstance(theApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "bench_startup: no display\n");
        return 1;
    }
    std::printf("toolkit initialised: %.1f ms\n",
                std::chrono::duration<double, std::milli>(Clock::now() - g_start).count());
    platform::RecordingFileDialogs dialogs;
    platform::FileDialogResult chosen;
    chosen.paths = {std::string(samples) + "/av_wmv2_wma2_meta.wmv",
                    std::string(samples) + "/av_part2.wmv"};
    dialogs.openAnswers.push_back({true, chosen});
    if (!samples.empty()) theApp->m_services.fileDialogs = &dialogs;
    wxTimer closer;
    wxTheApp->CallAfter([&] {
        WhenShown([&](app::CMainDialog* dialog) {
            double ms = std::chrono::duration<double, std::milli>(Clock::now() - g_start).count();
            std::printf("start-up to a shown window: %.1f ms\n", ms);
            std::fflush(stdout);
            if (samples.empty()) {
                dialog->Close();
                return;
            }
            dialog->OnButtonAddVideo();
            closer.Bind(wxEVT_TIMER, [dialog](wxTimerEvent&) { dialog->Close(); });
            closer.StartOnce(seconds * 1000);
        });
    });
    theApp->InitInstance();
    wxEntryCleanup();
    return 0;
}
