#pragma once
// The buttons of both windows as the windows store them: each instance's settings, restored
// into a new xpcmdbutton when a window is built.

#include "controls/xpcmdbutton/xpcmdbutton.h"

#include <QString>

#include <array>

namespace sitecapture {

struct StoredButton {
    const char* name; // the instance's name, also its objectName
    const char* bag;  // its stored settings (PropertyBag text)
};

inline constexpr std::array<StoredButton, 9> kStoredButtons{{
    {"command1(0)", "_extentx = 1931\n_extenty = 714\ncaption = \"编辑记录\"\nfont = font \"宋体\" 9pt 400\n"},
    {"command1(1)", "_extentx = 1931\n_extenty = 714\ncaption = \"新增记录\"\nfont = font \"宋体\" 9pt 400\n"},
    {"command1(2)", "_extentx = 1931\n_extenty = 714\ncaption = \"删除记录\"\nfont = font \"宋体\" 9pt 400\n"},
    {"xpcmdbutton1", "_extentx = 1931\n_extenty = 714\ncaption = \"退出\"\nfont = font \"宋体\" 9pt 400\n"},
    {"command4", "_extentx = 1535\n_extenty = 635\ncaption = \"退出\"\nfont = font \"宋体\" 9pt 400\n"},
    {"command3", "_extentx = 1535\n_extenty = 609\ncaption = \"下一步\"\nfont = font \"宋体\" 9pt 400\n"},
    {"command2", "_extentx = 1535\n_extenty = 609\ncaption = \"上一步\"\nfont = font \"宋体\" 9pt 400\n"},
    {"Command7", "_extentx = 3096\n_extenty = 476\ncaption = \"确认并保存到数据库\"\nfont = font \"宋体\" 9pt 400\n"},
    {"Command5", "_extentx = 1826\n_extenty = 635\ncaption = \"  链接测试  \"\nfont = font \"宋体\" 9pt 400\n"},
}};

// A new button named `name` with its stored settings read in; its geometry is the window's.
xpcmdbutton* RestoreButton(const char* name, QWidget* parent);

} // namespace sitecapture
