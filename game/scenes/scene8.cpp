// The host's (scene8) and the joining side's (scene9) match scenes: their widgets, keys, opening
// lines and network start, and each side's part of the frame.
#include "scenes/scene8.h"

#include <dinput.h>

#include "commands.h"
#include "demo.h"
#include "multiplayer/dp_client.h"
#include "multiplayer/dp_server.h"
#include "multiplayer/dp_session.h"
#include "multiplayer/net_handlers.h"
#include "multiplayer/net_protocol.h"
#include "multiplayer/net_rules.h"
#include "rallix_game.h"
#include "scenes/net_actions.h"
#include "services/font.h"
#include "services/gui.h"

namespace {

constexpr D3DCOLOR white = 0xFFFFFFFF;
constexpr D3DCOLOR green = 0xFF00FF00;
constexpr D3DCOLOR blue = 0xFF0000FF;
constexpr D3DCOLOR red = 0xFFFF0000;

RallixGame& Game() { return *static_cast<RallixGame*>(g_engine); }

void ServeKey() { Game().Serve(GetTickCount()); }
void FullScreenKey() {
  Game().paused = 1;
  g_engine->ToggleFullScreen();
}
void ChatKey() { netactions::SendChatLine(Game()); }
void CameraKey() { CycleCameraAndPrint(Game()); }
void StartButton() { netactions::StartNetMatch(Game()); }
void KickButton() { netactions::KickClient(Game()); }
void ResetButton() { netactions::ResetStandings(Game()); }

// The serve of a network match goes to the client at once; the prediction targets of the
// single-player rules are not used in a network match.
void SendServe(void* context) {
  RallixGame& game = *static_cast<RallixGame*>(context);
  game.aiTarget = aruVector3();
  game.playerTarget = aruVector3();
  SendBall(BALL_EVENT_NONE);
}

const char* PasswordOrNone(const RallixGame& game) {
  return game.password.empty() ? nullptr : game.password.c_str();
}

void SetNotConnected(RallixGame& game) {
  std::snprintf(game.opponentName, sizeof game.opponentName, "%s", "Not Connected");
}

// Both sides' near paddle: the mouse, or the computer in attract mode.
void MoveOwnPaddle(RallixGame& game, const FrameInput& frame) {
  if (attractMode.enabled) {
    MoveNearPaddleInNetMatch(game, frame, attractMode.netAim);
  } else {
    game.MovePlayerPaddle(frame, game.ParkPoint());
  }
  SendPaddle();
}

void MoveOpponentPaddle(RallixGame& game, float dt) {
  aruVector3 step = game.opponentStep;
  step.Scale(dt);
  game.opponentPaddle.Add(step);
  game.ClampOpponentPaddle();
}

}  // namespace

HRESULT scene8::Initialize() {
  InitializeShared();
  if (FAILED(BindSideKeys())) return E_FAIL;
  InitializeMatchState();
  game->output.served = SendServe;
  AnnounceAndOpenNetwork();
  return 0;
}

void scene8::AddSideWidgets() {
  aruGUI& gui = *game->GetGUI();
  auto texture = [this](const char* name) { return game->LoadTexture(name); };
  gui.AddButton(1000, 40, 280, 100, StartButton, texture(".\\base\\tex\\menu\\letsgo1.tex"),
                texture(".\\base\\tex\\menu\\letsgo2.tex"));
  gui.AddButton(1000, 140, 150, 100, KickButton, texture(".\\base\\tex\\menu\\kick.tex"),
                texture(".\\base\\tex\\menu\\kickroll.tex"));
  gui.AddButton(980, 240, 230, 100, ResetButton, texture(".\\base\\tex\\menu\\reset1.tex"),
                texture(".\\base\\tex\\menu\\reset2.tex"));
  gui.AddLabel(100, 540, white, "Max Score: ");
  gui.AddTextBox(320, 535, 3);
  gui.GetTextBox(1)->SetText("20");
  gui.AddLabel(600, 540, white, "Speed:");
  gui.AddOption(730, 540, 40, 40, "Slow", 1);
  gui.AddOption(730, 490, 40, 40, "Medium", 1);
  gui.AddOption(730, 440, 40, 40, "Fast", 1);
  gui.GetOption(1)->SetChecked(true);
}

HRESULT scene8::BindSideKeys() {
  if (FAILED(game->BindMouseButton(0, ServeKey, 100))) return E_FAIL;
  if (FAILED(game->BindKey(DIK_ESCAPE, netactions::LeaveToHostSetup, 100))) return E_FAIL;
  if (FAILED(game->BindKey(DIK_F10, FullScreenKey, 1000))) return E_FAIL;
  if (FAILED(game->BindKey(DIK_RETURN, ChatKey, 250))) return E_FAIL;
  game->BindKey(DIK_C, CameraKey, 1000);
  return 0;
}

void scene8::AnnounceAndOpenNetwork() {
  game->aruConsole::Print("Multiplayer Pong Server Initialized.", green);
  game->aruConsole::Printf(white, "%d goals wins it. Awaiting connection...", game->goalsToWin);
  SetNotConnected(*game);
  if (game->towardOpponent) {
    game->aruConsole::Print("Ball is headed away from you first.", blue);
  } else {
    game->aruConsole::Print("Ball is headed towards you first.", red);
  }
  game->SetShowRecent(true);

  game->server = std::make_unique<aruDPServer>();
  const HRESULT initialized = game->server->Initialize(ServerMessageHandler, 0);
  if (FAILED(initialized)) {
    game->aruConsole::Print("Failed to initialize server.", white);
    game->DirectPlayResult(initialized);
    return;
  }
  game->aruConsole::Print("Server initialized.", white);
  const HRESULT hosted = game->server->Host(applicationGuid, "Rallix", static_cast<DWORD>(game->port),
                                            2, PasswordOrNone(*game));
  if (FAILED(hosted)) {
    game->aruConsole::Print("Failed hosting game.", white);
    game->DirectPlayResult(hosted);
    return;
  }
  game->aruConsole::Printf(white, "Listening on port %d.", game->port);
  lanResponder = std::make_unique<LanResponder>();
  std::string failure;
  if (!lanResponder->Open(game->port, failure)) {
    game->aruConsole::Printf(white, "Not visible on the local network (port %d: %s).",
                             LanDiscoveryPort(game->port), failure.c_str());
    lanResponder.reset();
  }
}

void scene8::StepSide(const FrameInput& frame) {
  if (game->matchRunning) {
    MoveOwnPaddle(*game, frame);
    if (attractMode.enabled && DemoShouldServe(*game, frame.tickMs, netactions::matchStartTick)) {
      game->Serve(frame.tickMs);
    }
  }
  MoveOpponentPaddle(*game, frame.dt);
  StepNetBall(*game, frame);
  if (lanResponder != nullptr) lanResponder->Poll(game->clientPlayerId == noPlayerId);
}

void scene8::DrawSideHUD() {
  if (game->GetShowFPS() || debugMode != 0) {
    font->DrawTextf(nullptr, 0.0f, font->LineHeight(6.0f), white, "FPS: %3.2f", game->GetFPS());
  }
  if (!game->matchRunning) DrawStandings(*font);
  if (aruGUI* gui = game->GetGUI()) gui->Draw(game->ScaleX(game->guiSensitivity));
  font->DrawTextf(nullptr, 0.0f, font->LineHeight(7.5f), white, "%s's Ping: %.2fms", game->opponentName,
                  game->ping);
}

void scene8::CheckSideEnd() {
  if (!game->matchRunning) return;
  const bool hostWon = game->playerScore >= game->goalsToWin;
  if (!hostWon && game->opponentScore < game->goalsToWin) return;
  if (hostWon) {
    game->playerWins += 1;
  } else {
    game->opponentWins += 1;
  }
  SendScores();
  netactions::EndNetMatch(*game);
}

HRESULT scene9::Initialize() {
  InitializeShared();
  if (FAILED(BindSideKeys())) return E_FAIL;
  InitializeMatchState();
  AnnounceAndOpenNetwork();
  return 0;
}

HRESULT scene9::BindSideKeys() {
  if (FAILED(game->BindKey(DIK_ESCAPE, netactions::LeaveToJoinSetup, 100))) return E_FAIL;
  if (FAILED(game->BindKey(DIK_F10, FullScreenKey, 1000))) return E_FAIL;
  if (FAILED(game->BindKey(DIK_RETURN, ChatKey, 250))) return E_FAIL;
  game->BindKey(DIK_C, CameraKey, 1000);
  return 0;
}

void scene9::AnnounceAndOpenNetwork() {
  game->aruConsole::Print("Multiplayer Pong Client Initializing...", green);
  game->aruConsole::Printf(white, "%d goals wins it. May the best paddle win!", game->goalsToWin);
  SetNotConnected(*game);
  if (game->towardOpponent) {
    game->aruConsole::Print("You serve first. Awaiting connection...", blue);
  } else {
    game->aruConsole::Print("Opponent serves first. Awaiting connection...", red);
  }
  game->SetShowRecent(true);

  game->client = std::make_unique<aruDPClient>();
  if (FAILED(game->client->Initialize(ClientMessageHandler))) {
    game->aruConsole::Print("Failed to initialize client.", white);
    return;
  }
  game->aruConsole::Print("Client initialized.", white);
  const HRESULT connecting = game->client->Connect(applicationGuid, "Rallix", game->serverHost,
                                                   static_cast<DWORD>(game->port), PasswordOrNone(*game));
  if (connecting == DPNSUCCESS_PENDING) {
    game->aruConsole::Printf(white, "Connecting on port %d.", game->port);
  } else {
    game->aruConsole::Print("Failed connecting to game.", white);
  }
}

void scene9::StepSide(const FrameInput& frame) {
  if (game->matchRunning) MoveOwnPaddle(*game, frame);
  MoveOpponentPaddle(*game, frame.dt);
  StepClientBall(*game, frame);
}

void scene9::DrawSideHUD() {
  if (game->GetShowFPS() || debugMode != 0) {
    font->DrawTextf(nullptr, 0.0f, font->LineHeight(7.5f), white, "FPS: %.2f", game->GetFPS());
  }
  font->DrawTextf(nullptr, 0.0f, font->LineHeight(6.0f), white, "Ping: %.2fms", game->ping);
  if (!game->matchRunning) DrawStandings(*font);
  if (aruGUI* gui = game->GetGUI()) gui->Draw(game->ScaleX(game->guiSensitivity));
}

void scene9::CheckSideEnd() {
  if (game->connectionLost && !game->IsSceneChangePending()) netactions::LeaveToJoinSetup();
}
