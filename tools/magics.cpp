// Developer program: finds the multipliers of the sliding-attack tables and
// prints them as board/magics.h.
//
//   pelmot-magics > board/magics.h
//
// A fixed-seed generator makes the output the same on every run.
#include <cstdio>
#include <vector>

#include "board/tables.h"

namespace {

struct Random {
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    uint64_t Next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1DULL;
    }
    // Multipliers with few bits set spread the occupancies best.
    uint64_t Sparse() { return Next() & Next() & Next(); }
};

uint64_t FindMagic(int sq, PieceKind slider, Random& random, std::vector<Bitboard>& slots) {
    SliderMagic m{};
    FillMagicSlots(sq, slider, m, slots.data());  // with no multiplier yet: this only sets the mask
    const Bitboard mask = m.mask;
    for (;;) {
        m.magic = random.Sparse();
        // Cheap screen: the relevant squares must reach the top byte well spread.
        if (__builtin_popcountll((mask * m.magic) >> 56) < 6) continue;
        if (FillMagicSlots(sq, slider, m, slots.data())) return m.magic;
    }
}

void PrintTable(const char* name, PieceKind slider, Random& random) {
    std::vector<Bitboard> slots(MAX_MAGIC_SLOTS);
    std::printf("inline constexpr uint64_t %s[64] = {\n", name);
    for (int sq = 0; sq < 64; ++sq)
        std::printf("%s0x%016llXULL,%s", sq % 4 == 0 ? "    " : " ",
                    static_cast<unsigned long long>(FindMagic(sq, slider, random, slots)), sq % 4 == 3 ? "\n" : "");
    std::printf("};\n");
}

}  // namespace

int main() {
    for (int sq = 0; sq < 64; ++sq) squareBit[sq] = BitOf(sq);
    Random random;
    std::printf("// Multipliers of the sliding-attack tables, by square, as printed by\n"
                "// pelmot-magics (tools/magics.cpp). Each maps every relevant occupancy\n"
                "// of its square to a slot that no occupancy with other attacks shares.\n"
                "#pragma once\n\n#include <cstdint>\n\n");
    PrintTable("ROOK_MAGICS", ROOK, random);
    std::printf("\n");
    PrintTable("BISHOP_MAGICS", BISHOP, random);
    return 0;
}
