#pragma once
// Errors of the program: a number and a description, thrown by failing
// operations and reported by the procedure that has a location name.
#include <string>
#include <string_view>

namespace tavo {

namespace err {
inline constexpr int kInvalidArgument = 5;   // invalid procedure call or argument
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kSubscript = 9;         // index out of range
inline constexpr int kTypeMismatch = 13;
inline constexpr int kFileNotFound = 53;
inline constexpr int kDllLoad = 48;
inline constexpr int kDllEntryPoint = 453;
inline constexpr int kStore = 1000;          // settings store failure (registry)
}  // namespace err

struct Error {
  int number = 0;
  std::u16string description;

  // The standard description of a known number.
  static Error of(int number);
};

[[noreturn]] void raise(int number);
[[noreturn]] void raise(int number, std::u16string description);

// Japanese description of a known error number; a generic text otherwise.
std::u16string errorDescription(int number);

}  // namespace tavo
