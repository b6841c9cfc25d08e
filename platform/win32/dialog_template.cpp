#include "platform/win32/dialog_template.h"

#include "platform/code_page_text.h"

#include <cstring>

namespace native {

namespace {

constexpr WORD EXTENDED_VERSION = 1;
constexpr WORD EXTENDED_SIGNATURE = 0xFFFF;
constexpr WORD ORDINAL = 0xFFFF;  // the next word is a resource id
constexpr WORD NO_MENU = 0;
constexpr DWORD ICON_STYLE_MASK = 0x1F;  // SS_TYPEMASK
constexpr BYTE NOT_ITALIC = 0;

class TemplateWriter {
 public:
  void word(WORD value) { append(&value, sizeof value); }
  void dword(DWORD value) { append(&value, sizeof value); }
  void unit(int value) { word(static_cast<WORD>(static_cast<short>(value))); }
  void byte(BYTE value) { append(&value, sizeof value); }
  void text(const std::string& bytes) {
    const std::wstring wide = codepage::toWide(bytes);
    append(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  }
  void ordinal(int id) {
    word(ORDINAL);
    word(static_cast<WORD>(id));
  }
  void alignToDword() {
    while (bytes_.size() % sizeof(DWORD) != 0) bytes_.push_back(0);
  }
  std::vector<DWORD> finish() {
    alignToDword();
    std::vector<DWORD> words(bytes_.size() / sizeof(DWORD));
    std::memcpy(words.data(), bytes_.data(), bytes_.size());
    return words;
  }

 private:
  void append(const void* data, std::size_t size) {
    const auto* from = static_cast<const BYTE*>(data);
    bytes_.insert(bytes_.end(), from, from + size);
  }
  std::vector<BYTE> bytes_;
};

// What the real control adds to the model's style: every button takes the
// keyboard (Tab reaches it, as in the Qt window), and a one-line sunken field
// shortens a long text in the middle, keeping the file name whole.
DWORD realStyle(const ControlSpec& control) {
  DWORD style = WS_CHILD | control.style;
  if (::lstrcmpiA(control.className.c_str(), "BUTTON") == 0) {
    style |= WS_TABSTOP;
  } else if ((style & SS_SUNKEN) != 0 && (style & SS_CENTERIMAGE) != 0) {
    style |= SS_PATHELLIPSIS;
  }
  return style;
}

void writeControl(TemplateWriter& out, const ControlSpec& control) {
  out.alignToDword();
  out.dword(0);  // help id
  out.dword(0);  // extended style
  out.dword(realStyle(control));
  out.unit(control.dialogUnits.left);
  out.unit(control.dialogUnits.top);
  out.unit(control.dialogUnits.right - control.dialogUnits.left);
  out.unit(control.dialogUnits.bottom - control.dialogUnits.top);
  out.dword(static_cast<DWORD>(control.id));
  out.text(control.className);
  const bool icon = (control.style & ICON_STYLE_MASK) == SS_ICON && control.iconId != 0;
  if (icon) {
    out.ordinal(control.iconId);
  } else {
    out.text(control.text);
  }
  out.word(0);  // no creation data
}

}  // namespace

std::vector<DWORD> dialogTemplate(const WindowSpec& spec) {
  TemplateWriter out;
  out.word(EXTENDED_VERSION);
  out.word(EXTENDED_SIGNATURE);
  out.dword(0);  // help id
  out.dword(0);  // extended style
  // Shown only when the model says so, at the model's position.
  out.dword(spec.style & ~static_cast<DWORD>(WS_VISIBLE));
  out.word(static_cast<WORD>(spec.controls.size()));
  out.unit(0);
  out.unit(0);
  out.unit(spec.dialogUnits.right - spec.dialogUnits.left);
  out.unit(spec.dialogUnits.bottom - spec.dialogUnits.top);
  out.word(NO_MENU);
  out.text(spec.className);
  out.text(spec.title);
  if ((spec.style & DS_SETFONT) != 0) {
    out.unit(spec.fontPointSize);
    out.word(FW_NORMAL);
    out.byte(NOT_ITALIC);
    out.byte(DEFAULT_CHARSET);
    out.text(spec.fontName);
  }
  for (const ControlSpec& control : spec.controls) writeControl(out, control);
  return out.finish();
}

}  // namespace native
