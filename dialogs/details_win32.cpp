// frmSet on Win32: the control table and a thin view over DetailsDialog.
#include <windows.h>

#include <exception>
#include <new>
#include <optional>

#include "base/error.h"
#include "dialogs/browse_win32.h"
#include "dialogs/details.h"
#include "dialogs/dialogs_win32.h"
#include "main/main_window.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {

namespace {

using K = ControlKind;
using namespace details_id;

constexpr int kShowFrame = 0, kEtcFrame = 7;  // rows of the two frames
constexpr unsigned kTab = cf::kTabStop;
constexpr unsigned kNumberBox = cf::kTabStop | cf::kImeOff;

constexpr ControlSpec kDetailsControls[] = {
    {K::Frame, kFraShow, u"表示", 120, 120, 4932, 1032},
    {K::Check, kChkShow + 0, u"秒(&S)", 240, 240, 1092, 312, kShowFrame, kTab},
    {K::Check, kChkShow + 1, u"日付(&D)", 240, 600, 1092, 312, kShowFrame, kTab},
    {K::Check, kChkShow + 2, u"曜日(&W)", 1620, 240, 1092, 312, kShowFrame, kTab},
    {K::Check, kChkShow + 3, u"西暦(&N)", 1620, 600, 1092, 312, kShowFrame, kTab},
    {K::Check, kChkShow + 4, u"24h(&R)", 3000, 240, 1092, 312, kShowFrame, kTab},
    {K::Check, kChkShow + 5, u"\" = \"(&E)", 3000, 600, 1092, 312, kShowFrame, kTab},
    {K::Frame, kFraEtc, u"その他", 120, 1260, 4932, 2532},
    {K::Check, kChkEtc + 0, u"時報ぴかっと(&P)", 180, 240, 1812, 312, kEtcFrame, kTab},
    {K::Check, kChkEtc + 1, u"時報ふるふる(&F)", 180, 600, 1812, 312, kEtcFrame, kTab},
    {K::Text, kTxtEtc + 0, u"", 960, 960, 552, 312, kEtcFrame, kNumberBox, 2},
    {K::Label, kLblEtc + 3, u"回", 1560, 1080, 312, 252, kEtcFrame},
    {K::Check, kChkEtc + 2, u"時報ぴぽんと(&J)", 180, 1380, 1812, 312, kEtcFrame, kTab},
    {K::Button, kCmdWavSet + 0, u"素(&B)", 180, 1740, 672, 312, kEtcFrame, kTab | cf::kDisabled},
    {K::Check, kChkEtc + 3, u"鳩時計(&H)", 900, 1740, 1212, 312, kEtcFrame, kTab | cf::kDisabled},
    {K::Check, kChkEtc + 4, u"アラーム(&A)", 2220, 240, 1872, 312, kEtcFrame, kTab},
    {K::Text, kTxtEtc + 1, u"", 2220, 600, 552, 312, kEtcFrame, kNumberBox, 2},
    {K::Label, kLblEtc + 0, u"時", 2880, 720, 312, 252, kEtcFrame},
    {K::Text, kTxtEtc + 2, u"", 3240, 600, 612, 312, kEtcFrame, kNumberBox, 2},
    {K::Label, kLblEtc + 1, u"分", 3900, 720, 312, 252, kEtcFrame},
    // Its access key lands on the message box, the next row.
    {K::Label, kLblEtc + 2, u"メッセージ(&M)", 2220, 1200, 1272, 252, kEtcFrame},
    {K::Text, kTxtEtc + 3, u"", 2220, 1500, 2532, 312, kEtcFrame, kTab},
    {K::Button, kCmdWavSet + 1, u"Call Me(&C)", 3540, 1140, 1212, 312, kEtcFrame, kTab},
    // A row of its own under the others, so they keep their places; OK and Cancel move down with the frame.
    {K::Check, kChkEtc + 5, u"タイトルバーに重ねて表示(&O)", 180, 2100, 3600, 312, kEtcFrame, kTab},
    {K::Button, kCmdSet + 0, u"OK", 2340, 3960, 1272, 372, kNoParent, kTab | cf::kDefault},
    {K::Button, kCmdSet + 1, u"Cancel", 3780, 3960, 1272, 372, kNoParent, kTab | cf::kCancel},
};

class DetailsView : public Form {
 public:
  DetailsView(const DialogContext& context, FileOpenDialog& files)
      : context_(context), logic_(context.settings, context.state, context.reporter, files) {}
  // The window goes before the text font it draws with.
  ~DetailsView() override { destroy(); }

  bool create(HWND owner) {
    FormSpec form;
    form.className = L"TavoDetails";
    form.caption = u"詳細";
    form.clientWidthTwips = kDetailsClientWidthTwips;
    form.clientHeightTwips = kDetailsClientHeightTwips;
    form.controls = kDetailsControls;
    if (!Form::create(context_.instance, form, owner)) return false;
    makeTextFont();
    logic_.setWindow(reinterpret_cast<WindowHandle>(hwnd()), reinterpret_cast<std::uintptr_t>(context_.instance));
    return true;
  }

  DetailsDialog& logic() { return logic_; }

  // The logic's state into the controls.
  void render() {
    rendering_ = true;
    for (int i = 0; i < 6; ++i) show(kChkShow + i, logic_.chkShow(i));
    for (int i = 0; i < 6; ++i) show(kChkEtc + i, logic_.chkEtc(i));
    for (int i = 0; i < 4; ++i)
      if (text(kTxtEtc + i) != logic_.txtEtc(i)) setText(kTxtEtc + i, logic_.txtEtc(i));
    for (int i = 0; i < 2; ++i) setEnabled(kCmdWavSet + i, logic_.cmdWavSetEnabled(i));
    rendering_ = false;
    if (logic_.closed() && modal()) endModal(0);
  }

 protected:
  bool onKeyDown(unsigned vk, int shift) override {
    if (!isHelpKey(static_cast<int>(vk), shift)) return false;
    event(details::kSetLocation, [&] {
      if (context_.showHelp) context_.showHelp();
    });
    return true;
  }

  void onCommand(int id, int code) override {
    if (id >= kChkShow && id < kChkShow + 6 && code == BN_CLICKED) {
      event(details::kSetLocation, [&] { logic_.setShow(id - kChkShow, checked(id) ? 1 : 0); });
    } else if (id >= kChkEtc && id < kChkEtc + 6 && code == BN_CLICKED) {
      event(details::kSetLocation, [&] { logic_.setEtc(id - kChkEtc, checked(id) ? 1 : 0); });
    } else if (id >= kTxtEtc && id < kTxtEtc + 4) {
      const int index = id - kTxtEtc;
      if (code == EN_CHANGE && !rendering_) {
        logic_.setText(index, text(id));
        return;  // nothing else changes while typing
      }
      if (code == EN_SETFOCUS) {
        SendMessageW(control(id), EM_SETSEL, 0, -1);
        return;
      }
      if (code != EN_KILLFOCUS || logic_.closed()) return;
      event(details::kSetLocation, [&] { logic_.txtEtc_LostFocus(index); });
    } else if (id >= kCmdWavSet && id < kCmdWavSet + 2 && code == BN_CLICKED) {
      event(details::kWavSetLocation, [&] { logic_.cmdWavSet_Click(id - kCmdWavSet); });
    } else if (id >= kCmdSet && id < kCmdSet + 2 && code == BN_CLICKED) {
      event(details::kSetLocation, [&] { logic_.cmdSet_Click(id - kCmdSet); });
    } else {
      return;
    }
    render();
  }

  std::optional<LRESULT> onMessage(UINT m, WPARAM wp, LPARAM lp) override {
    if (m == WM_CLOSE) {
      // The window's close command is neither OK nor Cancel: nothing is saved or reloaded.
      logic_.close();
      endModal(0);
      return 0;
    }
    return std::nullopt;
  }

  void onDpiChanged() override { makeTextFont(); }

 private:
  void show(int id, const details::CheckBox& box) {
    if (checked(id) != (box.value == 1)) setChecked(id, box.value == 1);
    if (enabled(id) != box.enabled) setEnabled(id, box.enabled);
  }

  // The text boxes use the form's face in bold at a size of their own.
  void makeTextFont() {
    LOGFONTW lf{};
    if (!GetObjectW(font(), sizeof lf, &lf)) return;
    lf.lfHeight = fontHeightPixels(kDetailsTextPoints, dpi().y);
    lf.lfWeight = FW_BOLD;
    FontHandle made(CreateFontIndirectW(&lf));
    if (!made) return;
    for (int i = 0; i < 4; ++i)
      if (HWND c = control(kTxtEtc + i)) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), TRUE);
    textFont_ = std::move(made);
  }

  // Nothing may unwind into the system.
  template <class F>
  void event(std::u16string_view location, F&& f) {
    Scope(context_.reporter, location).step(std::forward<F>(f));
  }

  const DialogContext& context_;
  DetailsDialog logic_;
  FontHandle textFont_;
  bool rendering_ = false;
};

}  // namespace

std::span<const ControlSpec> detailsControls() { return kDetailsControls; }

void openDetailsDialog(const DialogContext& context) {
  Win32FileOpenDialog files;
  DetailsView view(context, files);
  if (!view.create(context.mainWindow)) raise(err::kOutOfMemory);
  view.logic().open();
  centreOnWorkArea(view.hwnd());
  view.render();
  context.prompt.setOwner(reinterpret_cast<WindowHandle>(view.hwnd()));
  view.runModal(context.mainWindow);
  context.prompt.setOwner(reinterpret_cast<WindowHandle>(context.mainWindow));
}

}  // namespace tavo::win32
