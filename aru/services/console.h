// The in-game command console and the engine's on-screen message sink: a scroll-back of coloured
// lines, a one-line entry with a caret, and a table of named commands bound to plain functions
// with typed argument lists. When the panel is closed, recent lines can still be shown briefly.
#pragma once

#include <d3d9.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class ARU;
class aruFont;
class aruVB;

// Command functions, one type per signature number 0..7.
typedef void (*aruCommand0)();
typedef void (*aruCommand1)(int32_t);
typedef void (*aruCommand2)(int32_t, int32_t);
typedef void (*aruCommand3)(int32_t, int32_t, int32_t);
typedef void (*aruCommand4)(float);
typedef void (*aruCommand5)(float, float);
typedef void (*aruCommand6)(float, float, float);
typedef void (*aruCommand7)(std::string);

class aruConsole {
 public:
  static constexpr uint32_t kSignatureCount = 8;
  static constexpr size_t kTextSize = 256;  // line texts and command names hold 255 characters
  static constexpr D3DCOLOR kReportColour = 0xFFFFFFB8;
  static constexpr D3DCOLOR kReplyColour = 0xFFFFFFFF;

  struct Line {
    D3DCOLOR colour;
    char text[kTextSize];
    uint32_t time;  // GetTickCount when printed, plus any extra display time
  };

  struct Command {
    uint32_t signature;
    char name[kTextSize];
    aruCommand0 slots[kSignatureCount];  // only the slot of the record's signature is set
  };

  aruConsole();
  ~aruConsole();
  aruConsole(const aruConsole&) = delete;
  aruConsole& operator=(const aruConsole&) = delete;

  HRESULT Initialize(ARU* engine, D3DCOLOR inputColour, uint32_t scrollbackSize, uint32_t activatorKey,
                     float transparency);
  void SetBackground(int32_t textureIndex);
  void Print(const char* text, D3DCOLOR colour);
  void Printf(D3DCOLOR colour, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void PrintFor(const char* text, D3DCOLOR colour, uint32_t milliseconds);

  // Binds `function` under `name` for signature 0..7. The typed forms refuse a function whose
  // type does not match the signature (the record then never runs, like signature 8 or more).
  void Bind(const char* name, uint32_t signature, aruCommand0 function, bool log);
  void Bind(const char* name, uint32_t signature, aruCommand1 function, bool log);
  void Bind(const char* name, uint32_t signature, aruCommand2 function, bool log);
  void Bind(const char* name, uint32_t signature, aruCommand3 function, bool log);
  void Bind(const char* name, uint32_t signature, aruCommand4 function, bool log);
  void Bind(const char* name, uint32_t signature, aruCommand5 function, bool log);
  void Bind(const char* name, uint32_t signature, aruCommand6 function, bool log);
  void Bind(const char* name, uint32_t signature, aruCommand7 function, bool log);

  // Returns true when the key was taken by the console.
  bool HandleKey(uint32_t code, bool isCharacter);
  void Paste(const char* text);
  // Runs a typed line as if entered: built-ins, then the command table.
  void Execute(const std::string& line);
  bool IsOpen() const { return open; }
  void SetShowRecent(bool flag) { showRecent = flag; }
  void Draw();
  void Invalidate();
  HRESULT Restore();
  void DumpStatistics();
  void Release();

  // Read access for the engine's start-up log and for tests.
  uint32_t GetScrollbackSize() const { return scrollbackSize; }
  uint32_t GetActivatorKey() const { return activatorKey; }
  float GetTransparency() const { return transparency; }
  int32_t GetBackground() const { return backgroundTexture; }
  // The live list, for tests and the main thread while no other thread prints.
  const std::deque<Line>& GetLines() const { return lines; }
  // A copy taken under the line lock, safe while other threads print.
  std::vector<Line> CopyLines() const;
  // ARU_CONSOLE_ECHO=1 in the environment: every printed line also goes to standard output.
  static bool EchoEnabled();
  const std::string& GetInput() const { return input; }
  int32_t GetCaret() const { return caret; }
  int32_t GetScroll() const { return scroll; }
  int32_t GetMaxScroll() const { return maxScroll; }
  size_t GetCommandCount() const { return commands.size(); }
  // Index of the first line drawn in the open panel and how many lines fit.
  int32_t FirstShownLine() const { return maxScroll - scroll; }
  static int32_t VisibleLineCount();
  // Whether the closed panel's overlay shows this line at tick count `now`.
  static bool IsRecent(const Line& line, uint32_t now);

 protected:
  void AddLine(const char* text, D3DCOLOR colour, uint32_t time);
  void AddCommand(const char* name, uint32_t signature, uint32_t functionKind, aruCommand0 function, bool log);
  bool RunCommandTable(const std::string& name, const std::string& arguments);
  void HandleControlKey(uint32_t code);
  void UpdateMaxScroll();
  void DrawPanel();
  void DrawRecent();
  void BuildPanel();

  // Guards `lines` only: the network threads print while the main thread draws. Held just
  // long enough to add a line or copy lines out; nothing is called while it is held.
  class LineLock {
   public:
    explicit LineLock(std::atomic_flag& flag) : held(flag) {
      while (held.test_and_set(std::memory_order_acquire)) {
      }
    }
    ~LineLock() { held.clear(std::memory_order_release); }
    LineLock(const LineLock&) = delete;
    LineLock& operator=(const LineLock&) = delete;

   private:
    std::atomic_flag& held;
  };
  // Copies the lines the panel or the overlay shows into `shownLines` under the lock.
  void CopyShownLines(bool recentOnly);

  ARU* consoleEngine = nullptr;
  mutable std::atomic_flag linesFlag = ATOMIC_FLAG_INIT;
  // Reserved to the scroll-back size, so a frame's copy allocates nothing.
  std::vector<Line> shownLines;
  std::unique_ptr<aruFont> font;
  std::deque<Line> lines;
  std::vector<Command> commands;
  uint32_t scrollbackSize = 200;
  float panelWidth = 0;
  float panelBottom = 0;
  std::string input;
  int32_t caret = 0;
  bool open = false;
  uint32_t activatorKey = 96;
  float heightFraction = 0.5f;
  D3DCOLOR inputColour = 0xFF000000;
  std::unique_ptr<aruVB> panel;
  bool busy = false;
  bool showRecent = false;
  float transparency = 0.75f;
  int32_t scroll = 0;
  int32_t maxScroll = 0;
  int32_t maxInput = 60;
  float caretPulse = 50;
  int32_t backgroundTexture = -1;
};
