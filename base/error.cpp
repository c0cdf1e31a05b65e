#include "base/error.h"

#include "base/text.h"

namespace tavo {

std::u16string errorDescription(int number) {
  switch (number) {
    case err::kInvalidArgument: return u"プロシージャの呼び出し、または引数が不正です。";
    case err::kOverflow: return u"オーバーフローしました。";
    case err::kOutOfMemory: return u"メモリが不足しています。";
    case err::kSubscript: return u"インデックスが有効範囲にありません。";
    case err::kTypeMismatch: return u"型が一致しません。";
    case err::kFileNotFound: return u"ファイルが見つかりません。";
    case err::kDllLoad: return u"DLL の読み込み中にエラーが発生しました。";
    case err::kDllEntryPoint: return u"DLL エントリ ポイントが見つかりません。";
    case err::kStore: return u"設定の読み書きに失敗しました。";
    default: return u"アプリケーション定義またはオブジェクト定義のエラーです。(" + decimal(number) + u")";
  }
}

Error Error::of(int number) { return Error{number, errorDescription(number)}; }

void raise(int number) { throw Error::of(number); }

void raise(int number, std::u16string description) { throw Error{number, std::move(description)}; }

}  // namespace tavo
