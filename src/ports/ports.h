// Everything the portable routines reach the system through. The program has
// one set of Win32 adapters; the tests bring fakes.
#pragma once
#include "ports/console.h"
#include "ports/events.h"
#include "ports/files.h"
#include "ports/log_box.h"
#include "ports/processes.h"
#include "ports/regex_port.h"

namespace tc {

class RegistryAccess;

struct Ports {
  LogBox& log;
  EventPort& events;
  Console& console;
  Files& files;
  Processes& processes;
  RegistryAccess& registry;   // the program-wide instance
  RegexPort* regex = nullptr;  // none: line breaks are stripped natively
};

}  // namespace tc
