// splicora: joins Windows Media files without re-encoding.

#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>

#include "app/main_app.h"
#include "platform/gui/desktop_identity.h"
#include "platform/memory_tuning.h"
#include "resources/maker_info.h"

int main(int argc, char** argv) {
    platform::TuneAllocatorForStreaming();
    platform::SetDesktopApplicationId(resources::kApplicationId);
    auto* app = new app::CMainApp;
    wxApp::SetInstance(app);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "splicora: cannot open the display\n");
        return 1;
    }
    // What is left once the toolkit took its own options: files to add, as the file manager's
    // "Open with" passes them.
    for (int i = 1; i < app->argc; ++i)
        app->m_commandLineFiles.push_back(app->argv[i].utf8_string());
    app->CallOnInit();
    wxEntryCleanup();
    return 0;
}
