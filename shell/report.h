// Turning decisions into game moves and front-end lines: the moves of the
// game, the book move, the engine's searched move with its result claims,
// the start of pondering, and taking moves of the game back.
#pragma once

#include <cstdint>
#include "board/types.h"
#include "search/search.h"

// Plays move on the game: the position after it is the next search's root.
// Returns false, doing nothing, for move 0.
bool ApplyGameMove(Move move);
// Plays and prints the book move of the current position, if any.
bool PlayBookMove();
// The book move of the current position, or 0. Remembers whether the
// engine's move comes from the book: the first move out of it gets a larger
// budget.
Move ChooseBookMove();
// Searches for the engine's move within the budget, prints it or a result
// claim, and starts pondering on the expected reply. moveStart is the
// process clock when the front end handed over the move (or "go"): the
// time limit counts from then.
void ReportEngineMove(uint32_t moveStart);

// Takes back the move being pondered on, if any; the engine must be stopped.
void TakeBackPonderMove();
// A ponder hit: the move pondered on is the opponent's move, kept on the
// board as a move of the game.
void KeepPonderMoveAsGameMove();

// Moves of the game that can be taken back: those played since the last
// set-up, as far back as the kept records reach.
int GameMovesKept();
// Takes back the last count moves of the game, with their history entries,
// and leaves the board exactly as it was before them; the engine must be
// stopped. Returns false, doing nothing, when fewer moves are kept.
bool TakeBackGameMoves(int count);
// Called whenever a position is set up.
void ForgetGameMoves();
// Called when the position changes outside the game with earlier moves
// played (the side to move changed): they are no longer kept.
void CutGameMoves();
// Gives back the moves that the last CutGameMoves dropped, when nothing has
// been played, taken back or set up since; false, doing nothing, otherwise.
bool UndoCutGameMoves();
// True when moves of the game were played before those kept.
bool GameMovesCut();

// The result claim after the engine's own move with the search's score
// (the side to move is the opponent), or nullptr when the game goes on.
const char* ResultAfterMove(int score);
// The result line for a special result move with the given side to move,
// or nullptr when the move is not a game end found before moving.
const char* ResultBeforeMove(Move result, int sideToMove);
// The move to play for a search result: the result itself when it is a
// legal move, otherwise (noted in the log) the first legal move, 0 when
// there is none, so that a faulty result never stalls the game.
Move PlayableMove(Move result);
// The reply the table expects after move, the engine's choice in the
// current position: the one to ponder on. 0 when there is none.
Move ExpectedReplyAfter(Move move);

// xboard's thinking line: iterations from 7 on, mates and the end of the
// search, never while pondering.
void XboardThinkingLine(const SearchReport& report);
