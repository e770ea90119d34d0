#include "checker/linux/linux_platform.h"

#include <utility>

namespace kolvex {

CLinuxPlatform::CLinuxPlatform()
    : CLinuxPlatform(CModuleSearch{{ProgramFolder()}, true}, "xdg-open") {}

CLinuxPlatform::CLinuxPlatform(CModuleSearch search, std::string opener)
    : m_search(std::move(search)), m_opener(std::move(opener)) {}

CLinuxPlatform::~CLinuxPlatform() { EndGuiMessageBoxes(); }

}  // namespace kolvex
