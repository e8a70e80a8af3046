// ARGB packing, aruVB quads and the fader's runs on the null device, with the test clock driving
// GetTickCount.
#include <gtest/gtest.h>

#include <aru_platform.h>

#include "service_engine.h"
#include "services/fader.h"

using testing_support::ServiceEngine;

namespace {

TEST(ARGB, PacksAlphaRedGreenBlue) {
  EXPECT_EQ(ARGB(255, 0, 255, 0), 0xFF00FF00u);
  EXPECT_EQ(ARGB(0x12, 0x34, 0x56, 0x78), 0x12345678u);
}

TEST(ARGB, TruncatesAndKeepsOnlyTheLowByte) {
  EXPECT_EQ(ARGB(256, 0, 0, 0), 0x00000000u);
  EXPECT_EQ(ARGB(127.9f, 1.99f, 0, 0), 0x7F010000u);
  EXPECT_EQ(ARGB(0, 0, 0, 257), 0x00000001u);
  EXPECT_EQ(ARGB(0, 0, 0, -1), 0x000000FFu);
}

aruNVertex Corner(float x, float y) { return {x, y, 0, 0, 0, -1, 0xFFFFFFFF, 0, 0}; }

class Quads : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(engine.GetDevice(), nullptr); }
  unsigned Draws() { return engine.Counters().draws; }

  ServiceEngine engine;
  const aruNVertex corners[4] = {Corner(0, 10), Corner(10, 10), Corner(0, 0), Corner(10, 0)};
};

TEST_F(Quads, DrawIsANoOpUntilCreated) {
  aruVB quad(&engine);
  EXPECT_TRUE(quad.IsLost());
  EXPECT_EQ(quad.Lock(), nullptr);
  EXPECT_EQ(quad.Unlock(), E_FAIL);
  const unsigned before = Draws();
  quad.Draw();
  EXPECT_EQ(Draws(), before);
}

TEST_F(Quads, CreatedQuadDrawsItsStripWithTheFormatAndStride) {
  aruVB quad(&engine);
  ASSERT_EQ(quad.Create(4, 2, corners), D3D_OK);
  EXPECT_TRUE(quad.IsCreated());
  EXPECT_EQ(quad.GetVertexCount(), 4u);
  quad.Draw();
  auto counters = engine.Counters();
  EXPECT_EQ(counters.lastPrimitiveType, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(counters.lastPrimitiveCount, 2u);
  EXPECT_EQ(counters.lastVertexStride, 36u);
  DWORD fvf = 0;
  engine.GetDevice()->GetFVF(&fvf);
  EXPECT_EQ(fvf, 0x152u);
  quad.Draw(1, 1);
  EXPECT_EQ(engine.Counters().lastPrimitiveCount, 1u);
}

TEST_F(Quads, LockGivesTheVerticesGivenToCreate) {
  aruVB quad(&engine);
  ASSERT_EQ(quad.Create(4, 2, corners), D3D_OK);
  aruNVertex* vertices = quad.Lock();
  ASSERT_NE(vertices, nullptr);
  EXPECT_EQ(vertices[1].x, 10.0f);
  EXPECT_EQ(vertices[3].y, 0.0f);
  EXPECT_EQ(vertices[2].nz, -1.0f);
  EXPECT_EQ(quad.Unlock(), D3D_OK);
}

TEST_F(Quads, InvalidatedDefaultPoolQuadDrawsNothingUntilCreatedAgain) {
  aruVB quad(&engine);
  quad.SetUsage(D3DUSAGE_DYNAMIC);
  quad.SetMemoryPool(D3DPOOL_DEFAULT);
  ASSERT_EQ(quad.Create(4, 2, corners), D3D_OK);
  quad.Invalidate();
  EXPECT_TRUE(quad.IsLost());
  const unsigned before = Draws();
  quad.Draw();
  EXPECT_EQ(Draws(), before);
  ASSERT_EQ(quad.Create(4, 2, corners), D3D_OK);
  quad.Draw();
  EXPECT_EQ(Draws(), before + 1);
}

TEST_F(Quads, InvalidatedManagedQuadKeepsDrawing) {
  aruVB quad(&engine);
  ASSERT_EQ(quad.Create(4, 2, corners), D3D_OK);
  quad.Invalidate();
  EXPECT_FALSE(quad.IsLost());
  const unsigned before = Draws();
  quad.Draw();
  EXPECT_EQ(Draws(), before + 1);
}

TEST_F(Quads, DrawBindsTheQuadsTextureIndex) {
  aruVB quad(&engine);
  ASSERT_EQ(quad.Create(4, 2, corners), D3D_OK);
  EXPECT_EQ(quad.SetTexture(5), 5);
  quad.Draw();  // index 5 does not exist: the stage is left empty
  EXPECT_EQ(engine.BoundTexture(0), nullptr);
}

TEST_F(Quads, CreateFailsWithoutVertices) {
  aruVB quad(&engine);
  EXPECT_EQ(quad.Create(0, 0, nullptr), E_FAIL);
  EXPECT_FALSE(quad.IsCreated());
}

class Fader : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::InstallTestClock(1000000);
    ASSERT_NE(engine.GetDevice(), nullptr);
    ASSERT_EQ(fader.Create(&engine), D3D_OK);
  }
  void TearDown() override { platform::RemoveTestClock(); }
  void AdvanceMilliseconds(int64_t milliseconds) { platform::AdvanceTestClock(milliseconds * 1000); }
  D3DCOLOR QuadColour() {
    aruNVertex* vertices = fader.GetQuad()->Lock();
    D3DCOLOR colour = vertices != nullptr ? vertices[0].colour : 0;
    fader.GetQuad()->Unlock();
    return colour;
  }

  ServiceEngine engine;
  aruFader fader;
};

TEST_F(Fader, StartsClearWhiteAndIdleAndDrawsNothing) {
  EXPECT_EQ(fader.GetAlpha(), 0.0f);
  EXPECT_TRUE(fader.IsIdle());
  EXPECT_EQ(QuadColour(), 0x00FFFFFFu);
  const unsigned before = engine.Counters().draws;
  fader.Update();
  EXPECT_EQ(engine.Counters().draws, before);
}

TEST_F(Fader, QuadCoversTheBackBuffer) {
  aruNVertex* vertices = fader.GetQuad()->Lock();
  ASSERT_NE(vertices, nullptr);
  EXPECT_EQ(vertices[0].x, 0.0f);
  EXPECT_EQ(vertices[0].y, 1024.0f);
  EXPECT_EQ(vertices[3].x, 1280.0f);
  EXPECT_EQ(vertices[3].y, 0.0f);
  EXPECT_EQ(vertices[3].u, 1.0f);
  EXPECT_EQ(vertices[3].v, 1.0f);
  fader.GetQuad()->Unlock();
}

TEST_F(Fader, CoverOverTwoSecondsIsHalfWayAfterOneAndCoveredAfterTwo) {
  fader.SetDuration(2.0f);
  fader.SetColour(0, 0, 0);
  fader.Cover();
  EXPECT_TRUE(fader.IsCovering());
  AdvanceMilliseconds(1000);
  fader.Update();
  EXPECT_NEAR(fader.GetAlpha(), 127.5f, 1.0f);
  EXPECT_EQ(QuadColour() >> 24, 127u);
  EXPECT_FALSE(fader.IsIdle());
  AdvanceMilliseconds(1000);
  fader.Update();
  EXPECT_EQ(fader.GetAlpha(), 255.0f);
  fader.Update();
  EXPECT_FALSE(fader.IsCovering());
  EXPECT_EQ(QuadColour(), 0xFF000000u);
}

TEST_F(Fader, IdleTurnsTrueOnlyOnTheUpdateAfterTheRunEnds) {
  fader.Cover();
  fader.Update();
  EXPECT_FALSE(fader.IsIdle());
  AdvanceMilliseconds(1100);
  fader.Update();  // alpha reaches 255
  EXPECT_FALSE(fader.IsIdle());
  fader.Update();  // the run ends on this update
  EXPECT_FALSE(fader.IsCovering());
  EXPECT_FALSE(fader.IsIdle());
  fader.Update();
  EXPECT_TRUE(fader.IsIdle());
}

TEST_F(Fader, CoverOnACoveredFaderAndRevealOnAClearOneDoNothing) {
  fader.Reveal();
  EXPECT_FALSE(fader.IsRevealing());
  EXPECT_EQ(fader.GetAlpha(), 0.0f);
  fader.SetCovered();
  fader.Cover();
  EXPECT_FALSE(fader.IsCovering());
  EXPECT_EQ(fader.GetAlpha(), 255.0f);
}

TEST_F(Fader, CallsDuringARunAreIgnored) {
  fader.Cover();
  AdvanceMilliseconds(500);
  fader.Reveal();
  EXPECT_TRUE(fader.IsCovering());
  EXPECT_FALSE(fader.IsRevealing());
}

TEST_F(Fader, RevealRunsFromCoveredBackToClearAndDrawsWhileVisible) {
  fader.SetCovered();
  fader.Reveal();
  AdvanceMilliseconds(250);
  const unsigned before = engine.Counters().draws;
  fader.Update();
  EXPECT_NEAR(fader.GetAlpha(), 255.0f * 0.75f, 1.0f);
  EXPECT_EQ(engine.Counters().draws, before + 1);
  EXPECT_EQ(engine.RenderState(D3DRS_ZWRITEENABLE), DWORD(TRUE));
  AdvanceMilliseconds(1000);
  fader.Update();
  fader.Update();
  EXPECT_EQ(fader.GetAlpha(), 0.0f);
  EXPECT_FALSE(fader.IsRevealing());
  const unsigned after = engine.Counters().draws;
  fader.Update();
  EXPECT_EQ(engine.Counters().draws, after);
}

TEST_F(Fader, AZeroDurationCoversAtTheNextUpdate) {
  fader.SetDuration(0);
  fader.Cover();
  AdvanceMilliseconds(16);
  fader.Update();
  EXPECT_EQ(fader.GetAlpha(), 255.0f);
}

TEST_F(Fader, SetClearAndSetCoveredStopARunAndJumpToTheEnd) {
  fader.Cover();
  fader.SetClear();
  EXPECT_FALSE(fader.IsCovering());
  EXPECT_EQ(QuadColour() >> 24, 0u);
  fader.SetCovered();
  EXPECT_EQ(QuadColour() >> 24, 255u);
}

TEST_F(Fader, InvalidatedFaderDrawsNothingUntilRestored) {
  fader.SetCovered();
  fader.Invalidate();
  const unsigned before = engine.Counters().draws;
  fader.Update();
  EXPECT_EQ(engine.Counters().draws, before);
  ASSERT_EQ(fader.Restore(), D3D_OK);
  fader.Update();
  EXPECT_EQ(engine.Counters().draws, before + 1);
  EXPECT_EQ(QuadColour(), 0xFFFFFFFFu);
}

}  // namespace
