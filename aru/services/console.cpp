// The console's text side: printing into the scroll-back, the command table and its argument
// conversion, key handling, pasting and the statistics. Drawing is in console_draw.cpp.
#include "services/console.h"

#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "services/font.h"
#include "services/vb.h"

namespace {

constexpr D3DCOLOR kBindColour = 0xFF8888FF;
constexpr D3DCOLOR kWaitColour = 0xFFFFFFCE;
constexpr uint32_t kRecentMilliseconds = 3000;

const char* const kSignatureTexts[aruConsole::kSignatureCount] = {
    "", "int", "int, int", "int, int, int", "float", "float, float", "float, float, float", "string"};

const char* SignatureText(uint32_t signature) {
  return signature < aruConsole::kSignatureCount ? kSignatureTexts[signature] : "";
}

// Arguments each signature needs; signature 7 takes the whole (non-empty) text instead.
constexpr int kArgumentsNeeded[aruConsole::kSignatureCount] = {0, 1, 2, 3, 1, 2, 3, -1};

void CopyText(char (&target)[aruConsole::kTextSize], const char* text) {
  std::snprintf(target, sizeof target, "%s", text);
}

// Truncates toward zero; values beyond the 32-bit range stop at its ends.
int32_t ToInteger(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

float ToFloat(double value) {
  if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

// C atof of one token (an empty or non-numeric token gives 0).
double TokenValue(const std::string& text, size_t begin, size_t end) {
  char token[64];
  const size_t length = std::min(end - begin, sizeof token - 1);
  std::memcpy(token, text.data() + begin, length);
  token[length] = '\0';
  return std::atof(token);
}

uintptr_t Address(aruCommand0 function) { return reinterpret_cast<uintptr_t>(function); }

}  // namespace

aruConsole::aruConsole() = default;

aruConsole::~aruConsole() { Release(); }

bool aruConsole::EchoEnabled() {
  static const bool echo = [] {
    const char* value = std::getenv("ARU_CONSOLE_ECHO");
    return value != nullptr && std::strcmp(value, "1") == 0;
  }();
  return echo;
}

void aruConsole::AddLine(const char* text, D3DCOLOR colour, uint32_t time) {
  if (text == nullptr || *text == '\0') return;
  if (scrollbackSize == 0) return;
  Line line;
  line.colour = colour;
  CopyText(line.text, text);
  line.time = time;
  {
    LineLock guard(linesFlag);
    while (lines.size() >= scrollbackSize) lines.pop_front();
    lines.push_back(line);
  }
  if (EchoEnabled()) {
    std::printf("%s\n", line.text);
    std::fflush(stdout);
  }
}

std::vector<aruConsole::Line> aruConsole::CopyLines() const {
  LineLock guard(linesFlag);
  return std::vector<Line>(lines.begin(), lines.end());
}

void aruConsole::Print(const char* text, D3DCOLOR colour) { AddLine(text, colour, GetTickCount()); }

void aruConsole::PrintFor(const char* text, D3DCOLOR colour, uint32_t milliseconds) {
  AddLine(text, colour, GetTickCount() + milliseconds);
}

void aruConsole::Printf(D3DCOLOR colour, const char* format, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  Print(text, colour);
}

// functionKind is the signature the function's type belongs to, or kSignatureCount for the
// untyped form, which trusts the caller.
void aruConsole::AddCommand(const char* name, uint32_t signature, uint32_t functionKind, aruCommand0 function,
                            bool log) {
  Command& command = commands.emplace_back();
  command.signature = signature;
  CopyText(command.name, name != nullptr ? name : "");
  for (aruCommand0& slot : command.slots) slot = nullptr;
  const bool typeFits = functionKind == kSignatureCount || functionKind == signature;
  if (signature < kSignatureCount && typeFits) command.slots[signature] = function;
  if (log) {
    Printf(kBindColour, "Bound function %s(%s) at 0x%" PRIxPTR ".", command.name, SignatureText(signature),
           Address(function));
  }
}

void aruConsole::Bind(const char* name, uint32_t signature, aruCommand0 function, bool log) {
  AddCommand(name, signature, kSignatureCount, function, log);
}
void aruConsole::Bind(const char* name, uint32_t signature, aruCommand1 function, bool log) {
  AddCommand(name, signature, 1, reinterpret_cast<aruCommand0>(function), log);
}
void aruConsole::Bind(const char* name, uint32_t signature, aruCommand2 function, bool log) {
  AddCommand(name, signature, 2, reinterpret_cast<aruCommand0>(function), log);
}
void aruConsole::Bind(const char* name, uint32_t signature, aruCommand3 function, bool log) {
  AddCommand(name, signature, 3, reinterpret_cast<aruCommand0>(function), log);
}
void aruConsole::Bind(const char* name, uint32_t signature, aruCommand4 function, bool log) {
  AddCommand(name, signature, 4, reinterpret_cast<aruCommand0>(function), log);
}
void aruConsole::Bind(const char* name, uint32_t signature, aruCommand5 function, bool log) {
  AddCommand(name, signature, 5, reinterpret_cast<aruCommand0>(function), log);
}
void aruConsole::Bind(const char* name, uint32_t signature, aruCommand6 function, bool log) {
  AddCommand(name, signature, 6, reinterpret_cast<aruCommand0>(function), log);
}
void aruConsole::Bind(const char* name, uint32_t signature, aruCommand7 function, bool log) {
  AddCommand(name, signature, 7, reinterpret_cast<aruCommand0>(function), log);
}

bool aruConsole::HandleKey(uint32_t code, bool isCharacter) {
  if (code == activatorKey) {
    open = !open;
    return true;
  }
  if (!open) return false;
  if (isCharacter) {
    if (code >= 32 && code <= 255 && static_cast<int32_t>(input.size()) < maxInput) {
      input.insert(static_cast<size_t>(caret), 1, static_cast<char>(code));
      ++caret;
    }
  } else {
    HandleControlKey(code);
  }
  return open;
}

void aruConsole::HandleControlKey(uint32_t code) {
  const int32_t length = static_cast<int32_t>(input.size());
  if (caret > length) caret = length;
  switch (code) {
    case VK_BACK:
      if (caret > 0) input.erase(static_cast<size_t>(--caret), 1);
      break;
    case VK_RETURN:
      if (input.empty()) break;
      if (busy) {
        Print("Please wait...", kWaitColour);
      } else {
        const std::string line = input;
        input.clear();
        caret = 0;
        Execute(line);
      }
      break;
    case VK_ESCAPE:
      open = false;
      break;
    case VK_PRIOR:
      UpdateMaxScroll();
      scroll = maxScroll;
      break;
    case VK_NEXT:
      scroll = 0;
      break;
    case VK_END:
      caret = length;
      break;
    case VK_HOME:
      caret = 0;
      break;
    case VK_LEFT:
      if (caret > 0) --caret;
      break;
    case VK_UP:
      UpdateMaxScroll();
      if (scroll < maxScroll) ++scroll;
      break;
    case VK_RIGHT:
      if (caret < length) ++caret;
      break;
    case VK_DOWN:
      if (scroll > 0) --scroll;
      break;
    case VK_DELETE:
      if (caret < length) input.erase(static_cast<size_t>(caret), 1);
      break;
    default:
      break;
  }
}

void aruConsole::Paste(const char* text) {
  if (text == nullptr) return;
  const int32_t length = static_cast<int32_t>(input.size());
  if (caret > length) caret = length;
  input.insert(static_cast<size_t>(caret), text);
  if (static_cast<int32_t>(input.size()) > maxInput) input.resize(static_cast<size_t>(maxInput));
}

void aruConsole::Execute(const std::string& line) {
  busy = true;
  const size_t space = line.find(' ');
  const std::string name = line.substr(0, space);
  const std::string arguments = space == std::string::npos ? std::string() : line.substr(space + 1);
  if (name == "down") {
    open = false;
  } else if (name == "up") {
    open = true;
  } else if (name == "report") {
    DumpStatistics();
  } else if (!RunCommandTable(name, arguments)) {
    Printf(kReplyColour, "No such command %s(%s). Check parameters and try again.", name.c_str(),
           arguments.c_str());
  }
  busy = false;
}

bool aruConsole::RunCommandTable(const std::string& name, const std::string& arguments) {
  int count = 0;
  double values[3] = {0, 0, 0};
  if (!arguments.empty()) {
    size_t begin = 0;
    for (;;) {
      const size_t end = arguments.find(' ', begin);
      if (count < 3) values[count] = TokenValue(arguments, begin, end == std::string::npos ? arguments.size() : end);
      ++count;
      if (end == std::string::npos) break;
      begin = end + 1;
    }
  }
  const int32_t i0 = ToInteger(values[0]), i1 = ToInteger(values[1]), i2 = ToInteger(values[2]);
  const float f0 = ToFloat(values[0]), f1 = ToFloat(values[1]), f2 = ToFloat(values[2]);

  bool called = false;
  // Indexes, not iterators: a command may bind further commands while it runs.
  for (size_t i = 0; i < commands.size(); ++i) {
    const Command& command = commands[i];
    if (command.signature >= kSignatureCount || name != command.name) continue;
    const aruCommand0 slot = command.slots[command.signature];
    if (slot == nullptr) continue;
    const uint32_t signature = command.signature;
    if (signature == 7 ? arguments.empty() : kArgumentsNeeded[signature] != count) continue;
    switch (signature) {
      case 0: slot(); break;
      case 1: reinterpret_cast<aruCommand1>(slot)(i0); break;
      case 2: reinterpret_cast<aruCommand2>(slot)(i0, i1); break;
      case 3: reinterpret_cast<aruCommand3>(slot)(i0, i1, i2); break;
      case 4: reinterpret_cast<aruCommand4>(slot)(f0); break;
      case 5: reinterpret_cast<aruCommand5>(slot)(f0, f1); break;
      case 6: reinterpret_cast<aruCommand6>(slot)(f0, f1, f2); break;
      case 7: reinterpret_cast<aruCommand7>(slot)(arguments); break;
    }
    called = true;
  }
  return called;
}

void aruConsole::DumpStatistics() {
  Print("Quillmark ARU Console Statistics", kReportColour);
  Printf(kReportColour, "Console size: %d bytes", static_cast<int>(sizeof(aruConsole)));
  Printf(kReportColour, "Number of bound functions: %d", static_cast<int>(commands.size()));
  for (size_t i = 0; i < commands.size(); ++i) {
    const Command& command = commands[i];
    const aruCommand0 slot = command.signature < kSignatureCount ? command.slots[command.signature] : nullptr;
    Printf(kReportColour, "Function: %s(%s) is at 0x%" PRIxPTR ".", command.name,
           SignatureText(command.signature), Address(slot));
  }
}

int32_t aruConsole::VisibleLineCount() {
  // The console's font is 25 high and its lines are 1.5 font heights apart.
  constexpr float kLineHeight = 1.5f * 25.0f;
  return static_cast<int32_t>(512.0f / kLineHeight) - 1;
}

void aruConsole::UpdateMaxScroll() {
  int32_t count = 0;
  {
    LineLock guard(linesFlag);
    count = static_cast<int32_t>(lines.size());
  }
  const int32_t visible = VisibleLineCount();
  maxScroll = count > visible ? count - visible : 0;
  if (scroll > maxScroll) scroll = maxScroll;
}

bool aruConsole::IsRecent(const Line& line, uint32_t now) {
  return static_cast<int32_t>(line.time - (now - kRecentMilliseconds)) >= 0;
}

void aruConsole::Release() {
  panel.reset();
  font.reset();
  {
    LineLock guard(linesFlag);
    std::deque<Line>().swap(lines);
  }
  std::vector<Line>().swap(shownLines);
  std::string().swap(input);
  caret = 0;
  std::vector<Command>().swap(commands);
}
