#pragma once
// Wavmend's repair: the chime and "Call Me" paths that an older Tavo stored
// bare are put in double quotes, so that a path with blanks reads back whole.
#include <string_view>

#include "platform/ports.h"
#include "settings/store.h"

namespace tavo::wavmend {

inline constexpr std::u16string_view kCaption = u"Fix WaveFilePath for Tavo 1.56";
inline constexpr std::u16string_view kDoneText = u"修正は正常に完了しました。";
inline constexpr std::u16string_view kDoneTitle = u"Fixed!";
inline constexpr unsigned kDoneFlags = mb::kOk | mb::kIconInformation;
inline constexpr std::u16string_view kFailTitle = u"エラー - Wavmend";
inline constexpr unsigned kFailFlags = mb::kOk | mb::kIconError;

// Quotes WaveFilePath1 and WaveFilePath2 when they are not empty and do not
// begin with a double quote; nothing else is written, no key is created.
// Throws Error on a store failure; a value written before it stays written.
void repairWavePaths(Settings& settings);

// The "修正(&F)" button: the repair, then the completion message, shown
// whether or not a value changed. A store failure is shown with the error's
// number and description instead; false then: the program is to end.
bool cmdMain_Fix(Settings& settings, Prompt& prompt);

}  // namespace tavo::wavmend
