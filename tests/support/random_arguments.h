//===- random_arguments.h - Seeded argument vectors that stress command lines ===//
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Which units an argument may hold: any UTF-16 unit but NUL (Windows), or any
// byte but NUL (POSIX).
enum class Units { kUtf16, kBytes };

namespace random_arguments_detail {

// A whole number in [0, n): mt19937_64's output is fixed by the standard, so a
// seed replays the same vectors with any standard library.
inline uint64_t below(std::mt19937_64& rng, uint64_t n) { return rng() % n; }

template <class Char>
void append_unit(std::mt19937_64& rng, Units units, std::basic_string<Char>& text) {
  static const char kTricky[] = " \t\"\\\n\v'$*?;&|<>()`#~=%!{}[]";
  switch (below(rng, 10)) {
    case 0:  // A run of backslashes, which the C runtime treats specially before a quote.
      text.append(1 + below(rng, 5), Char('\\'));
      if (below(rng, 2)) text += Char('"');
      return;
    case 1:
    case 2:
    case 3:
      text += Char(kTricky[below(rng, sizeof kTricky - 1)]);
      return;
    case 4:  // Beyond ASCII: any unit or byte, lone surrogates and invalid UTF-8 included.
      text += Char(units == Units::kUtf16 ? 0x80 + below(rng, 0x10000 - 0x80)
                                          : 0x80 + below(rng, 0x80));
      return;
    case 5:  // Control characters.
      text += Char(1 + below(rng, 31));
      return;
    default:
      text += Char(0x20 + below(rng, 0x5f));
  }
}

}  // namespace random_arguments_detail

// Arguments for one front-end run (at least two): spaces, tabs, quotes, backslash
// runs before quotes and at the end, empty arguments, non-ASCII and invalid text,
// and now and then very long arguments or very many; about `budget` units at most.
template <class Char>
std::vector<std::basic_string<Char>> random_arguments(std::mt19937_64& rng, Units units,
                                                      size_t budget) {
  using random_arguments_detail::below;
  const size_t count = below(rng, 8) == 0 ? 2 + below(rng, 300) : 2 + below(rng, 8);
  std::vector<std::basic_string<Char>> arguments;
  size_t used = 0;
  for (size_t i = 0; i < count && used < budget; ++i) {
    std::basic_string<Char> argument;
    const uint64_t shape = below(rng, 20);
    const size_t length = shape == 0 ? 0 : shape == 1 ? 1000 + below(rng, 4000) : below(rng, 16);
    while (argument.size() < length && used + argument.size() < budget)
      random_arguments_detail::append_unit(rng, units, argument);
    used += argument.size() + 1;
    arguments.push_back(argument);
  }
  while (arguments.size() < 2) arguments.emplace_back();
  return arguments;
}
