#include <gtest/gtest.h>

#include <cstdlib>

#include "app/program_state_lifecycle.h"

namespace {

int releaseCount = 0;
void CountingRoutine() { ++releaseCount; }
void FirstRoutine() { releaseCount = releaseCount * 10 + 1; }
void SecondRoutine() { releaseCount = releaseCount * 10 + 2; }
void RoutineThatMustNotRun() { std::_Exit(7); }

TEST(ProgramState, StartsWithNewRecordsEmptyPiecesAndZeroSigns) {
  InitialiseProgramState();
  ASSERT_TRUE(programState.has_value());
  for (const FontRecord* record :
       {&programState->fineFont, &programState->wordFont, &programState->heavyFont}) {
    EXPECT_EQ(record->size, 9);
    EXPECT_EQ(record->angle, 0);
    EXPECT_FALSE(record->bold || record->italic || record->strikeout || record->underline);
    EXPECT_EQ(record->faceName, "\xCB\xCE\xCC\xE5");  // 宋体
  }
  for (const AmountPieces* pieces :
       {&programState->balancePieces, &programState->thisMonthPieces,
        &programState->lastMonthPieces, &programState->settledPieces}) {
    EXPECT_TRUE(pieces->integerPart.empty());
    EXPECT_TRUE(pieces->fractionPart.empty());
  }
  EXPECT_EQ(programState->thisMonthSignX, 0);
  EXPECT_EQ(programState->lastMonthSignX, 0);
  ReleaseProgramState();
  EXPECT_FALSE(programState.has_value());
}

TEST(ExitRoutines, RegisteredTwiceRunsOnceAndListEmptiesAfterRunning) {
  releaseCount = 0;
  RegisterExitRoutine(CountingRoutine);
  RegisterExitRoutine(CountingRoutine);
  RunExitRoutines();
  EXPECT_EQ(releaseCount, 1);
  RunExitRoutines();
  EXPECT_EQ(releaseCount, 1);
}

TEST(ExitRoutines, RunInOrderOfRegistration) {
  releaseCount = 0;
  RegisterExitRoutine(FirstRoutine);
  RegisterExitRoutine(SecondRoutine);
  RegisterExitRoutine(FirstRoutine);
  RunExitRoutines();
  EXPECT_EQ(releaseCount, 12);
}

TEST(FatalErrorDeathTest, ExitsWith255AndSkipsExitRoutines) {
  EXPECT_EXIT(
      {
        RegisterExitRoutine(RoutineThatMustNotRun);
        EndWithFatalError("window definition cannot be loaded");
      },
      testing::ExitedWithCode(255), "window definition cannot be loaded");
}

}  // namespace
