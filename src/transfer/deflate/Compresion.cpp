#include "transfer/deflate/Compresion.h"

#include "transfer/deflate/BlockWriter.h"
#include "transfer/deflate/HuffmanCode.h"
#include "transfer/deflate/MatchFinder.h"

#include <algorithm>

namespace kolt::deflate {

namespace {

// The match finder keeps positions in 32-bit integers; anything longer (far
// beyond what the station sends) is stored rather than parsed.
constexpr std::size_t kMaxParsedInput = std::size_t{1} << 30;

} // namespace

std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> input, int level,
                                  bool deflate64Compatible)
{
    level = std::clamp(level, 0, static_cast<int>(kLevelParams.size()) - 1);
    if (level == 0 || input.size() > kMaxParsedInput) return WriteStored(input);
    Parse parse;
    FindMatches(input, kLevelParams[static_cast<std::size_t>(level)],
                deflate64Compatible ? kMaxMatch - 1 : kMaxMatch, parse);
    return WriteFinalBlock(input, parse);
}

void cCompresion::Comprimir(std::vector<std::uint8_t>& ByteArray, std::int16_t CompLevel,
                            bool Deflate64)
{
    ByteArray = Deflate(ByteArray, CompLevel, Deflate64);
}

InflateStatus cCompresion::Descomprimir(std::vector<std::uint8_t>& ByteArray,
                                        std::int32_t UncompressedSize, bool ZIP64,
                                        std::size_t Limit)
{
    if (ZIP64) return InflateStatus::Unsupported;
    std::vector<std::uint8_t> output;
    const InflateStatus status =
        Inflate(ByteArray, output, Limit, static_cast<std::size_t>(std::max(0, UncompressedSize)));
    if (status == InflateStatus::Ok) ByteArray.swap(output);
    return status;
}

void cCompresion::init_Trees()
{
    kolt::deflate::init_Trees();
}

unsigned cCompresion::Bit_Reverse(unsigned Valors, unsigned Numbits)
{
    return kolt::deflate::Bit_Reverse(Valors, Numbits);
}

} // namespace kolt::deflate
