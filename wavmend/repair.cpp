#include "wavmend/repair.h"

#include "base/error.h"
#include "base/text.h"
#include "settings/keys.h"

namespace tavo::wavmend {

void repairWavePaths(Settings& settings) {
  for (const KeyDef* key : {&keys::kWaveFilePath1, &keys::kWaveFilePath2}) {
    const std::u16string value = readText(settings, *key);
    // Already quoted, even without a closing quote, counts as repaired.
    if (value.empty() || value.front() == u'"') continue;
    saveText(settings, *key, u"\"" + value + u"\"");
  }
}

bool cmdMain_Fix(Settings& settings, Prompt& prompt) {
  try {
    repairWavePaths(settings);
  } catch (const Error& e) {
    prompt.messageBox(u"設定を修正できませんでした。\r\n\r\nエラー番号:" + decimal(e.number) + u"\r\n" + e.description,
                      kFailTitle, kFailFlags);
    return false;
  }
  prompt.messageBox(kDoneText, kDoneTitle, kDoneFlags);
  return true;
}

}  // namespace tavo::wavmend
