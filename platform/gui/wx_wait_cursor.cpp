#include "platform/gui/wx_wait_cursor.h"

#include <wx/utils.h>

namespace platform {

void CWxWaitCursor::BeginWaitCursor() { wxBeginBusyCursor(); }

void CWxWaitCursor::EndWaitCursor() {
    if (wxIsBusy()) wxEndBusyCursor();
}

}  // namespace platform
