// SHA-256 (FIPS 180-4) of bytes, in pieces or whole.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrel {

using Sha256Digest = std::array<std::uint8_t, 32>;

//   Sha256 h; h.Update("ab"); h.Update("c"); h.Finish() == Sha256Of("abc")  // ba7816bf...
class Sha256 {
 public:
  Sha256();
  void Update(std::string_view bytes);
  Sha256Digest Finish();  // the object is spent afterwards

 private:
  void Block(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t length_ = 0;  // bytes so far
};

Sha256Digest Sha256Of(std::string_view bytes);

}  // namespace kestrel
