// The engine's HTML log: nested lists, lines, typed value lines, memory sizes, phase banners,
// the block for caught exceptions and the sentences for Direct3D, DirectSound and DirectPlay
// result codes. A base class of the engine object; every write is a no-op while the file is
// closed, and each write is flushed so a crash still leaves a readable log.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <fstream>

class aruLog {
 public:
  aruLog() = default;
  ~aruLog();

  void SetPath(const char* path);
  void Open(const char* title, bool writeGeneratorBanner);
  void Close(uint8_t exitCode);
  uint16_t GetDepth() const { return depth; }

  void Banner(const char* text);
  void BeginList(const char* text);
  void EndList();
  void Line(const char* text);
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

  void Value(const char* label, int32_t value);
  void Value(const char* label, uint32_t value);
  void Value(const char* label, int64_t value);
  void Value(const char* label, double value);
  void Value(const char* label, bool value);
  void Value(const char* label, const char* value);
  void Value(const char* label, const void* address);
  void MemorySize(const char* label, uint32_t bytes);
  void Exception(const std::exception& caught);

  // One log line for a failed result; returns whether the failure is fatal.
  bool Direct3DResult(HRESULT result);
  bool DirectSoundResult(HRESULT result);
  bool DirectPlayResult(HRESULT result);

  // Texts used by the log, exposed for the console and tests.
  static void TimeStamp(const SYSTEMTIME& time, char* out, size_t size);
  static const char* ExceptionExtra(const std::exception& caught);

 private:
  void Write(const char* text);
  void ResultLine(const char* prefix, const char* sentence);

  const char* path = nullptr;
  uint16_t depth = 0;
  std::ofstream stream;
};
