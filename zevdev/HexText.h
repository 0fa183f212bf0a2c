// Numbers as fixed-width hexadecimal text, without the runtime's printf: its C99 version
// alone would be a quarter of the device library.
#pragma once
#include <cstdint>
#include <string>

namespace zevdev {

// `digits` hexadecimal digits of `value`, zero-padded (high digits beyond the width are
// dropped): HexText(0x3C, 8, true) is "0000003C", as "%08lX" prints it.
std::string HexText(std::uint64_t value, size_t digits, bool upperCase);

} // namespace zevdev
