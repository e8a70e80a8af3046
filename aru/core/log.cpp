// Writing the HTML log: the document head, nested lists and the typed value forms. The result-code
// sentences live in log_results.cpp.
#include "log.h"

#include "launch.h"

#include <aru_platform.h>

#include <cstdarg>
#include <cstdio>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <typeinfo>

namespace {

// The open log that receives the platform layer's debug notes; one engine log per process.
aruLog* g_noteLog = nullptr;

void WritePlatformNote(const char* text) {
  if (g_noteLog != nullptr) g_noteLog->Printf("Debug: %s", text);
}

void ListenForPlatformNotes(aruLog* log) {
  g_noteLog = log;
  platform::SetNoteSink(log != nullptr ? &WritePlatformNote : nullptr);
}

}  // namespace

aruLog::~aruLog() {
  if (g_noteLog == this) ListenForPlatformNotes(nullptr);
  if (stream.is_open()) stream.close();
}

void aruLog::SetPath(const char* newPath) {
  path = newPath;
  depth = 0;
}

void aruLog::Open(const char* title, bool writeGeneratorBanner) {
  if (path == nullptr) return;
  if (stream.is_open()) stream.close();
  stream.open(platform::ResolvePath(path), std::ios::out | std::ios::trunc | std::ios::binary);
  if (!stream.is_open()) return;
  ListenForPlatformNotes(this);
  depth = 0;
  Write("<html>\n<head>\n  <title>");
  Write(title ? title : "");
  Write("</title>\n<style>\n");
  Write("  body { font-size: x-small; font-family: Verdana; }\n");
  Write("  .banner { font-size: 16px; font-weight: bold; }\n");
  Write("</style>\n<body>\n");
  if (!writeGeneratorBanner) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[64];
  TimeStamp(now, stamp, sizeof stamp);
  BeginList("Quillmark Log Generator");
  Line("QMLG Version 1.07");
  Line((std::string("Log Created at ") + stamp).c_str());
  EndList();
}

void aruLog::Close(uint8_t exitCode) {
  if (!stream.is_open()) return;
  if (g_noteLog == this) ListenForPlatformNotes(nullptr);
  Write("</body>\n</html>");
  stream.close();
  if (exitCode == 2 && path != nullptr) LaunchFile(path);
}

void aruLog::Write(const char* text) {
  if (!stream.is_open()) return;
  stream << text;
  stream.flush();
}

void aruLog::Banner(const char* text) {
  if (!stream.is_open()) return;
  Write("<br /><br /><span class=\"banner\">");
  Write(text);
  Write("</span><br />\n<hr><br />\n");
}

void aruLog::BeginList(const char* text) {
  if (!stream.is_open()) return;
  const std::string indent(depth + 2, ' ');
  if (depth == 0) {
    Write((indent + "<b>" + text + "</b><br />\n").c_str());
  } else {
    Write((indent + "<li><b>" + text + "</b></li>\n").c_str());
  }
  Write((indent + "<ul>\n").c_str());
  ++depth;
}

void aruLog::EndList() {
  if (!stream.is_open() || depth == 0) return;
  --depth;
  Write((std::string(depth + 2, ' ') + "</ul>\n").c_str());
}

void aruLog::Line(const char* text) {
  if (!stream.is_open()) return;
  if (depth == 0) {
    Write((std::string(text) + "<br />\n").c_str());
  } else {
    Write((std::string(depth + 4, ' ') + "<li>" + text + "</li>\n").c_str());
  }
}

void aruLog::Printf(const char* format, ...) {
  if (!stream.is_open()) return;
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  Line(text);
}

void aruLog::Value(const char* label, int32_t value) {
  Line((std::string(label) + std::to_string(value)).c_str());
}

void aruLog::Value(const char* label, uint32_t value) {
  Line((std::string(label) + std::to_string(value)).c_str());
}

void aruLog::Value(const char* label, int64_t value) {
  Line((std::string(label) + std::to_string(value)).c_str());
}

void aruLog::Value(const char* label, double value) {
  std::ostringstream text;
  text << label << value;
  Line(text.str().c_str());
}

void aruLog::Value(const char* label, bool value) {
  Line((std::string(label) + (value ? "true" : "false")).c_str());
}

void aruLog::Value(const char* label, const char* value) {
  Line((std::string(label) + "\"" + (value ? value : "") + "\"").c_str());
}

void aruLog::Value(const char* label, const void* address) {
  // Addresses and handles are written as their low 32 bits, signed.
  const auto low = static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address)));
  Value(label, low);
}

void aruLog::MemorySize(const char* label, uint32_t bytes) {
  std::ostringstream text;
  text << label;
  if (bytes > 1000000000u) {
    text << static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0) << " GigaBytes";
  } else if (bytes > 1000000u) {
    text << static_cast<double>(bytes) / (1024.0 * 1024.0) << " MegaBytes";
  } else if (bytes > 1000u) {
    text << static_cast<double>(bytes) / 1024.0 << " KiloBytes";
  } else {
    text << bytes << " Bytes";
  }
  Line(text.str().c_str());
}

void aruLog::TimeStamp(const SYSTEMTIME& time, char* out, size_t size) {
  // Hours 0..12 keep "AM" unchanged; only hours above 12 become PM.
  int hour = time.wHour;
  const char* half = "AM";
  if (hour > 12) {
    hour -= 12;
    half = "PM";
  }
  snprintf(out, size, "%.2d:%.2d:%.2d %s on %.2d/%.2d/%d", hour, time.wMinute, time.wSecond, half,
           time.wMonth, time.wDay, time.wYear);
}

const char* aruLog::ExceptionExtra(const std::exception& caught) {
  // Exact dynamic type, not derivation: a class derived from runtime_error gets no extra text.
  const std::type_info& type = typeid(caught);
  if (type == typeid(std::bad_alloc)) return "Ran out of Memory.";
  if (type == typeid(std::domain_error)) return "Domain error.";
  if (type == typeid(std::invalid_argument)) return "Invalid Argument.";
  if (type == typeid(std::length_error)) return "Length Error: Object too long to be specified.";
  if (type == typeid(std::out_of_range)) return "Out of Range (argument).";
  if (type == typeid(std::logic_error)) return "Logic Error.";
  if (type == typeid(std::overflow_error)) return "Arithmatic Overflow Error.";
  if (type == typeid(std::range_error)) return "Range Error.";
  if (type == typeid(std::underflow_error)) return "Underflow Error.";
  if (type == typeid(std::runtime_error)) return "Run-Time Error.";
  return "No extra information provided.";
}

void aruLog::Exception(const std::exception& caught) {
  BeginList("Exception Information:");
  Value("Caught: ", caught.what());
  Value("Type: ", typeid(caught).name());
  Line((std::string("Extra: ") + ExceptionExtra(caught)).c_str());
  EndList();
}
