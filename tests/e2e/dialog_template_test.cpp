// The dialog templates as the built PlinorLauncher.exe holds them: the
// program is loaded as a data file and each DIALOGEX template is read field
// by field, so what the resource compiler made of the script is checked, not
// the script.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "launcher_session.h"
#include "ui/resource.h"
#include "ui/version.h"

namespace e2e {
namespace {

// A class, a text or an image: a name, or an ordinal shown as "#n".
using NameOrOrdinal = std::string;

struct Control {
  NameOrOrdinal windowClass;
  DWORD id;
  NameOrOrdinal text;
  short x, y, cx, cy;
  DWORD style;
  DWORD exStyle = 0;
  bool operator==(const Control&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Control& c) {
  return out << c.windowClass << " id " << static_cast<long>(c.id) << " \"" << c.text
             << "\" at " << c.x << "," << c.y << " size " << c.cx << "x" << c.cy
             << " style 0x" << std::hex << c.style << " ex 0x" << c.exStyle << std::dec;
}

struct Template {
  DWORD style = 0, exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu, windowClass, caption;
  WORD pointSize = 0;
  std::string typeface;
  std::vector<Control> controls;
};

// Reads a DLGTEMPLATEEX, checking every read against the resource's size.
class TemplateReader {
 public:
  TemplateReader(const BYTE* data, DWORD size) : data_(data), size_(size) {}

  bool Read(Template& t) {
    WORD version = 0, signature = 0, count = 0;
    DWORD help = 0;
    if (!Get(version) || !Get(signature) || version != 1 || signature != 0xFFFF)
      return false;
    if (!Get(help) || !Get(t.exStyle) || !Get(t.style) || !Get(count) ||
        !Get(t.x) || !Get(t.y) || !Get(t.cx) || !Get(t.cy) ||
        !GetName(t.menu) || !GetName(t.windowClass) || !GetName(t.caption))
      return false;
    if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
      WORD weight = 0;
      BYTE italic = 0, charset = 0;
      if (!Get(t.pointSize) || !Get(weight) || !Get(italic) || !Get(charset) ||
          !GetName(t.typeface))
        return false;
    }
    for (WORD i = 0; i < count; ++i) {
      Control c{};
      WORD extra = 0;
      at_ = (at_ + 3) & ~static_cast<std::size_t>(3);
      if (!Get(help) || !Get(c.exStyle) || !Get(c.style) || !Get(c.x) || !Get(c.y) ||
          !Get(c.cx) || !Get(c.cy) || !Get(c.id) || !GetName(c.windowClass) ||
          !GetName(c.text) || !Get(extra))
        return false;
      at_ += extra;
      t.controls.push_back(c);
    }
    return at_ <= size_;
  }

 private:
  template <typename T>
  bool Get(T& value) {
    if (at_ + sizeof value > size_) return false;
    std::memcpy(&value, data_ + at_, sizeof value);
    at_ += sizeof value;
    return true;
  }
  // 0: none; 0xFFFF and a number: an ordinal; else a zero-ended UTF-16 text.
  bool GetName(NameOrOrdinal& name) {
    WORD first = 0;
    if (!Get(first)) return false;
    if (first == 0xFFFF) {
      WORD ordinal = 0;
      if (!Get(ordinal)) return false;
      name = "#" + std::to_string(ordinal);
      return true;
    }
    std::wstring wide;
    for (WORD c = first; c != 0;) {
      wide.push_back(static_cast<wchar_t>(c));
      if (!Get(c)) return false;
    }
    name.assign(wide.begin(), wide.end());  // the templates hold ASCII
    return true;
  }

  const BYTE* data_;
  DWORD size_;
  std::size_t at_ = 0;
};

class DialogTemplate : public ::testing::Test {
 protected:
  DialogTemplate() {
    program = ::LoadLibraryExA((Machine::BuildFolder() + "PlinorLauncher.exe").c_str(),
                               nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  ~DialogTemplate() override {
    if (program) ::FreeLibrary(program);
  }

  Template Load(int id) {
    Template t;
    HRSRC found = ::FindResourceA(program, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    EXPECT_TRUE(found) << "no dialog template " << id;
    if (!found) return t;
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(program, found)));
    EXPECT_TRUE(TemplateReader(data, ::SizeofResource(program, found)).Read(t))
        << "template " << id << " is not a whole DIALOGEX";
    return t;
  }

  HMODULE program = nullptr;
};

// Everything of a template but its controls, as one printable text. Both
// dialogs sit at 0,0, name no menu and no class of their own, and use
// MS Sans Serif at 8 points.
struct Expected {
  DWORD style, exStyle;
  short cx, cy;
  std::string caption;
};
std::string Header(const Template& t) {
  char text[256];
  std::snprintf(text, sizeof text,
                "style 0x%lx ex 0x%lx at %d,%d size %dx%d menu \"%s\" class \"%s\" \"%s\" %u pt %s",
                static_cast<unsigned long>(t.style), static_cast<unsigned long>(t.exStyle), t.x, t.y,
                t.cx, t.cy, t.menu.c_str(), t.windowClass.c_str(), t.caption.c_str(),
                static_cast<unsigned>(t.pointSize), t.typeface.c_str());
  return text;
}
std::string Header(const Expected& e) {
  Template t;
  t.style = e.style;
  t.exStyle = e.exStyle;
  t.cx = e.cx;
  t.cy = e.cy;
  t.caption = e.caption;
  t.pointSize = 8;
  t.typeface = "MS Sans Serif";
  return Header(t);
}

constexpr DWORD kStatic = WS_CHILD | WS_VISIBLE;
constexpr DWORD kNone = static_cast<DWORD>(IDC_STATIC);

TEST_F(DialogTemplate, LauncherDialogIsAsDesigned) {
  ASSERT_TRUE(program);
  const Template t = Load(IDD_LAUNCHER_DIALOG);
  EXPECT_EQ(Header(t), Header({DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION |
                                  WS_SYSMENU | WS_MINIMIZEBOX,
                              WS_EX_APPWINDOW, 238, 132, "Plinor Launcher"}));
  const std::vector<Control> expected = {
      {"#128", IDOK, "Launch", 115, 100, 50, 14, kStatic | WS_TABSTOP | BS_DEFPUSHBUTTON},
      {"#128", IDCANCEL, "Close", 167, 100, 50, 14, kStatic | WS_TABSTOP | BS_PUSHBUTTON},
      {"#130", kNone, "Plinor will be launched from the PC using the default browser.", 13, 25,
       141, 24, kStatic | WS_GROUP | SS_LEFT},
      {"#130", kNone, "Enter the Address:", 17, 64, 91, 14, kStatic | WS_GROUP | SS_LEFT},
      {"#133", IDC_ADDRESS, "", 116, 62, 98, 59,
       kStatic | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_SORT},
      {"#128", IDC_USE_HTTPS, "This device has HTTPS enabled and I want to use it.", 16, 86,
       215, 9, kStatic | WS_TABSTOP | BS_AUTOCHECKBOX},
      {"#128", kNone, "", 7, 11, 224, 110, kStatic | BS_GROUPBOX},
      {"#130", kNone, "#" + std::to_string(IDB_BANNER), 161, 21, 63, 32, kStatic | SS_BITMAP},
  };
  EXPECT_EQ(t.controls, expected);
}

TEST_F(DialogTemplate, AboutBoxIsAsDesigned) {
  ASSERT_TRUE(program);
  const Template t = Load(IDD_ABOUTBOX);
  EXPECT_EQ(Header(t), Header({DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0,
                              235, 55, "About Plinor Launcher"}));
  const std::vector<Control> expected = {
      {"#130", kNone, "#" + std::to_string(IDR_ABOUTICON), 11, 17, 20, 20, kStatic | SS_ICON},
      {"#130", kNone, PLINOR_ABOUT_TEXT, 40, 10, 119, 8,
       kStatic | WS_GROUP | SS_LEFT | SS_NOPREFIX},
      {"#130", kNone, PLINOR_COPYRIGHT, 40, 25, 152, 8,
       kStatic | WS_GROUP | SS_LEFT},
      {"#128", IDOK, "OK", 178, 7, 50, 14, kStatic | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
  };
  EXPECT_EQ(t.controls, expected);
}

}  // namespace
}  // namespace e2e
