// Static evaluation: king placement and shelter, pawn structure (cached by
// pawn key), pieces, material imbalance and king safety. Every colour-dependent
// term is written once for White's view and instantiated for both sides; the
// sum is kept in 16 bits as the score scale demands.
#include "eval/evaluate.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "board/hugepages.h"
#include "board/tables.h"
#include "eval/psqt.h"

alignas(HUGE_PAGE_SIZE) uint32_t pawnHashTable[PAWN_HASH_SIZE];

namespace {

const bool pawnHugePagesAdvised = (AdviseHugePages(pawnHashTable, sizeof pawnHashTable), true);

constexpr int KNIGHT_VALUE = ValueOfKind(KNIGHT);
constexpr int BISHOP_VALUE = ValueOfKind(BISHOP);
constexpr int ROOK_VALUE = ValueOfKind(ROOK);
constexpr int QUEEN_VALUE = ValueOfKind(QUEEN);
constexpr int PAWN_VALUE = ValueOfKind(PAWN);

// Indexed by the distance to the enemy king.
constexpr int KNIGHT_ATTACK[8] = {4, 5, 5, 2, 1, 0, 0, 0};
constexpr int BISHOP_ATTACK[8] = {5, 5, 4, 2, 1, 0, 0, 0};
constexpr int ROOK_ATTACK[8] = {6, 5, 4, 2, 1, 0, 0, 0};
constexpr int QUEEN_ATTACK[8] = {9, 9, 8, 4, 2, 1, 0, 0};

constexpr int SHELTER_FACTOR[16] = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4};

constexpr int KING_ATTACK_SIZE = 128;
constexpr int16_t KING_ATTACK[KING_ATTACK_SIZE] = {
    0,   1,   3,   8,   10,  15,  20,  25,  30,  35,  40,  45,  50,  55,  60,  65,
    70,  75,  80,  85,  90,  95,  100, 110, 115, 117, 120, 122, 125, 127, 130, 132,
    135, 137, 140, 142, 145, 147, 150, 152, 155, 157, 160, 162, 165, 167, 170, 172,
    165, 167, 170, 172, 175, 177, 190, 192, 195, 197, 200, 200, 200, 200, 200, 200,
    200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200,
    200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200,
    200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200,
    200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200};

constexpr Bitboard LightSquares() {
    Bitboard set = 0;
    for (int sq = 0; sq < 64; ++sq)
        if (((RowOf(sq) + ColumnOf(sq)) & 1) == 0) set |= BitOf(sq);
    return set;
}
constexpr Bitboard LIGHT_SQUARES = LightSquares();  // a8 is light
constexpr Bitboard DARK_SQUARES = ~LIGHT_SQUARES;

// White's square sq as seen from Side's back rank (rank 1 becomes rank 8).
template <Colour Side> constexpr int Own(int sq) { return Side == WHITE ? sq : sq ^ 56; }
// Row counted from Side's own back rank being 7 (White's rows as they are).
template <Colour Side> constexpr int RelativeRow(int sq) { return Side == WHITE ? RowOf(sq) : 7 - RowOf(sq); }

template <Colour Side> Bitboard Pawns() { return pos.pieceBB[CodeOf(PAWN, Side)]; }
template <Colour Side> Bitboard FrontSpan(int sq) { return Side == WHITE ? whiteFrontSpan[sq] : blackFrontSpan[sq]; }
template <Colour Side> Bitboard FileAhead(int sq) { return Side == WHITE ? fileAbove[sq] : fileBelow[sq]; }

int Distance(int a, int b) {
    const int rows = std::abs(RowOf(a) - RowOf(b));
    const int columns = std::abs(ColumnOf(a) - ColumnOf(b));
    return rows > columns ? rows : columns;
}

// Attack weight of a piece on sq against a king on kingSq; a missing king
// cannot be attacked.
int AttackWeight(const int (&weights)[8], int sq, int kingSq) {
    return HasKing(kingSq) ? weights[Distance(sq, kingSq)] : 0;
}

bool HasQueen(Colour side) { return pos.pieceBB[CodeOf(QUEEN, side)] != 0; }

// Pawns in front of a castled king, for Side (positive is good for Side).
template <Colour Side> int ShelterPawns() {
    const int king = pos.kingSq[Side];
    const Bitboard pawns = Pawns<Side>();
    const Bitboard rooks = pos.pieceBB[CodeOf(ROOK, Side)];
    const int q = HasQueen(Opponent(Side)) ? 11 : 5;
    int score = 0;
    if (king == Own<Side>(SQ_F1) || king == Own<Side>(SQ_G1) || king == Own<Side>(SQ_H1)) {
        if (!(rooks & (BitOf(Own<Side>(SQ_G1)) | BitOf(Own<Side>(SQ_H1))))) {
            for (int sq : {SQ_F2, SQ_G2, SQ_H2})
                if (pawns & BitOf(Own<Side>(sq))) score += 1 + q;
            if (pawns & (BitOf(Own<Side>(SQ_G3)) | BitOf(Own<Side>(SQ_H3)))) score += (q + 1) / 2;
        }
    } else if (king == Own<Side>(SQ_A1) || king == Own<Side>(SQ_B1) || king == Own<Side>(SQ_C1)) {
        if (!(rooks & (BitOf(Own<Side>(SQ_A1)) | BitOf(Own<Side>(SQ_B1))))) {
            for (int sq : {SQ_A2, SQ_B2, SQ_C2})
                if (pawns & BitOf(Own<Side>(sq))) score += q - 2;
            if (pawns & (BitOf(Own<Side>(SQ_A3)) | BitOf(Own<Side>(SQ_B3)))) score += (q - 2) / 2;
        }
    }
    return score;
}

// 0..15: how open the files around Side's king are.
template <Colour Side> int ShelterIndex() {
    const int king = pos.kingSq[Side];
    if (!HasKing(king)) return 0;
    const Bitboard own = Pawns<Side>();
    const Bitboard enemy = Pawns<Opponent(Side)>();
    int index = 0;
    if (!(own & fileOthers[king])) index = 2;
    if (!(enemy & fileOthers[king])) index += index ? 2 : 1;
    auto neighbour = [&](int sq) {
        if (!(own & fileOthers[sq])) index += index >= 4 ? 3 : 2;
        if (!(enemy & fileOthers[sq])) index += index >= 4 ? 2 : 1;
    };
    if (ColumnOf(king) != 7) neighbour(king + 1);
    if (ColumnOf(king) != 0) neighbour(king - 1);
    if (HasQueen(Opponent(Side))) ++index;
    return index;
}

// Side's pawns: table value, material, passed, doubled, isolated and weak
// terms (positive is good for Side).
template <Colour Side> int PawnTerms() {
    const Bitboard own = Pawns<Side>();
    const Bitboard enemy = Pawns<Opponent(Side)>();
    const int material = pos.totalMaterial;
    int score = 0;
    for (Bitboard set = own; set; set &= set - 1) {
        const Square sq = FirstSquare(set);
        const int row = RelativeRow<Side>(sq);
        score += PstValue(CodeOf(PAWN, Side), sq, material) + PAWN_VALUE;
        bool passed = !(enemy & FrontSpan<Side>(sq));
        if (!(own & fileOthers[sq])) {
            if (passed) score += (7 - row) * 16;
        } else {
            score -= 8;
            if (passed && !(own & FileAhead<Side>(sq))) score += (7 - row) * 16;
            else passed = false;
        }
        if (!(own & adjacentFiles[sq])) {
            score -= (enemy & FileAhead<Side>(sq)) ? 18 : 24;
        } else if (!passed && row >= 2) {
            const Bitboard attackers = enemy & PawnAttacksOf<Side>()[sq];
            if (attackers) {
                const int weight = (attackers & (attackers - 1)) ? 3 : 2;
                const int defenders = __builtin_popcountll(own & PawnAttacksOf<Opponent(Side)>()[sq]);
                score -= 8 * (weight - defenders);
            }
        }
    }
    return score;
}

struct PieceTally {
    int attackSum[2];  // against the enemy king, by attacking side
    int minors[2];
    int majors[2];
};

// Knights, bishops, rooks and queens of Side (positive is good for Side).
template <Colour Side> int PieceTerms(PieceTally& tally) {
    const int material = pos.totalMaterial;
    const int pawnsOnBoard = pos.pawnCount[0] + pos.pawnCount[1];
    const int enemyKing = pos.kingSq[Opponent(Side)];
    const Bitboard ownPawns = Pawns<Side>();
    const Bitboard enemyPawns = Pawns<Opponent(Side)>();
    int score = 0;

    for (Bitboard set = pos.pieceBB[CodeOf(KNIGHT, Side)]; set; set &= set - 1) {
        const Square sq = FirstSquare(set);
        score += PstValue(CodeOf(KNIGHT, Side), sq, material) + KNIGHT_VALUE + pawnsOnBoard;
        tally.attackSum[Side] += AttackWeight(KNIGHT_ATTACK, sq, enemyKing);
        ++tally.minors[Side];
    }

    const Bitboard bishops = pos.pieceBB[CodeOf(BISHOP, Side)];
    for (Bitboard set = bishops; set; set &= set - 1) {
        const Square sq = FirstSquare(set);
        score += PstValue(CodeOf(BISHOP, Side), sq, material) + BISHOP_VALUE - pawnsOnBoard;
        tally.attackSum[Side] += AttackWeight(BISHOP_ATTACK, sq, enemyKing);
        ++tally.minors[Side];
    }
    // A bishop that took the rook pawn's neighbour and is shut in by a pawn.
    auto trapped = [&](int bishopSq, int pawnSq) {
        return (bishops & BitOf(Own<Side>(bishopSq))) && (enemyPawns & BitOf(Own<Side>(pawnSq)));
    };
    if (trapped(SQ_A7, SQ_B6) || trapped(SQ_B8, SQ_C7) || trapped(SQ_G8, SQ_F7) || trapped(SQ_H7, SQ_G6))
        score -= 220;
    if ((bishops & LIGHT_SQUARES) && (bishops & DARK_SQUARES)) score += 32;

    const Bitboard rooks = pos.pieceBB[CodeOf(ROOK, Side)];
    for (Bitboard set = rooks; set; set &= set - 1) {
        const Square sq = FirstSquare(set);
        score += PstValue(CodeOf(ROOK, Side), sq, material) + ROOK_VALUE;
        tally.attackSum[Side] += AttackWeight(ROOK_ATTACK, sq, enemyKing);
        ++tally.majors[Side];
        const Bitboard ownOnFile = ownPawns & fileOthers[sq];
        if (!ownOnFile) {
            score += (enemyPawns & fileOthers[sq]) ? 8 : 20;
        } else {
            // The pawn nearest rank 1, for either colour.
            const int pawn = FirstSquare(ownOnFile);
            const bool ahead = RelativeRow<Side>(pawn) < RelativeRow<Side>(sq);
            if (ahead && !(enemyPawns & FrontSpan<Side>(pawn))) score += 20;
        }
    }
    const Bitboard seventh = rooks & (Side == WHITE ? 0x00FF000000000000ull : 0x000000000000FF00ull);
    if (seventh) {
        if (!(seventh & (seventh - 1))) {
            score += 12;
        } else {
            score += 24;
            if (HasKing(enemyKing)) {
                const int kingRow = RelativeRow<Side>(enemyKing);
                if (kingRow == 0) score += 36;
                else if (kingRow == 1) score += 12;
            }
        }
    }

    for (Bitboard set = pos.pieceBB[CodeOf(QUEEN, Side)]; set; set &= set - 1) {
        const Square sq = FirstSquare(set);
        score += PstValue(CodeOf(QUEEN, Side), sq, material) + QUEEN_VALUE;
        tally.attackSum[Side] += AttackWeight(QUEEN_ATTACK, sq, enemyKing);
        ++tally.majors[Side];
    }
    return score;
}

int MaterialImbalance(int minors, int majors) {
    const bool whiteQueen = HasQueen(WHITE);
    const bool blackQueen = HasQueen(BLACK);
    const bool queensEven = whiteQueen == blackQueen;
    if (minors == 0 && majors == 0) {
        if (whiteQueen && !blackQueen) return 60;
        if (blackQueen && !whiteQueen) return -60;
        return 0;
    }
    if (minors == 0) return queensEven ? (majors > 0 ? 100 : -100) : 0;
    if (majors == 0) return queensEven ? (minors > 0 ? 100 : -100) : 0;
    switch (majors) {
    case 1: return minors <= -2 ? -100 : minors == -1 ? 60 : 0;
    case -1: return minors >= 2 ? 100 : minors == 1 ? -60 : 0;
    case 2: return minors <= -3 ? -130 : 0;
    case -2: return minors >= 3 ? 130 : 0;
    default: return 0;
    }
}

int KingAttack(int sum) { return KING_ATTACK[sum < KING_ATTACK_SIZE ? sum : KING_ATTACK_SIZE - 1]; }

constexpr uint32_t PAWN_KEY_CHECK = 0xFFF00000u;
constexpr int PAWN_TABLE_SHIFT = 16;

// Cached pawn score for the current pawns. The entry also records which pawn
// table the score was computed with, so a cached score is only reused where
// a fresh computation would give the same value.
int CachedPawnScore() {
    const uint32_t key = pos.pawnKey;
    const uint32_t check = (key & PAWN_KEY_CHECK) | static_cast<uint32_t>(PawnTableOf(pos.totalMaterial)) << PAWN_TABLE_SHIFT;
    uint32_t& entry = pawnHashTable[key & (PAWN_HASH_SIZE - 1)];
    if ((entry & 0xFFFF0000u) == check && (entry & 0xFFFF) != 0)
        return static_cast<int16_t>(entry & 0xFFFF) - INFINITE_SCORE;
    const int score = PawnStructureScore();
    entry = check | (static_cast<uint32_t>(score + INFINITE_SCORE) & 0xFFFF);
    return score;
}

}  // namespace

void ClearPawnHashTable() { std::memset(pawnHashTable, 0, sizeof pawnHashTable); }

int PawnStructureScore() { return static_cast<int16_t>(PawnTerms<WHITE>() - PawnTerms<BLACK>()); }

int16_t Evaluate() {
    if (NoMatingMaterial()) return 0;
    const int pawnsOnBoard = pos.pawnCount[0] + pos.pawnCount[1];

    const Square whiteKing = ToSquare(pos.kingSq[WHITE]);
    const Square blackKing = ToSquare(pos.kingSq[BLACK]);
    int score = 0;
    if (HasKing(whiteKing)) score += PstValue(W_KING, whiteKing, pos.totalMaterial);
    if (HasKing(blackKing)) score -= PstValue(B_KING, blackKing, pos.totalMaterial);

    int shelter[2] = {0, 0};
    if (pos.totalMaterial > 35) {
        score += ShelterPawns<WHITE>() - ShelterPawns<BLACK>();
        shelter[WHITE] = ShelterIndex<WHITE>();
        shelter[BLACK] = ShelterIndex<BLACK>();
    }

    if (pawnsOnBoard) score += CachedPawnScore();

    PieceTally tally{};
    score += PieceTerms<WHITE>(tally) - PieceTerms<BLACK>(tally);

    if (pos.pieceMaterial[WHITE] >= 5 || pos.pieceMaterial[BLACK] >= 5)
        score += MaterialImbalance(tally.minors[WHITE] - tally.minors[BLACK],
                                   tally.majors[WHITE] - tally.majors[BLACK]);

    if (pos.pieceMaterial[BLACK] > 13) score -= SHELTER_FACTOR[shelter[WHITE]] * KingAttack(tally.attackSum[BLACK]);
    if (pos.pieceMaterial[WHITE] > 13) score += SHELTER_FACTOR[shelter[BLACK]] * KingAttack(tally.attackSum[WHITE]);

    score = std::clamp(score, -EVALUATION_LIMIT, EVALUATION_LIMIT);
    return static_cast<int16_t>(pos.sideToMove == WHITE ? score : -score);
}
