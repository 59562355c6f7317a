#pragma once
#include <windows.h>

#include <vector>

#include "launcher_options.h"
#include "registrations.h"

// Serves one connected client: reads its messages and answers each with a 4-byte
// status, registering the process whose id it sends (see the protocol comment in
// launcher_exchange.cpp). Every transfer has a time limit, so a client that stops
// talking cannot stall the launcher.
void ServeConnection(HANDLE pipe, const LauncherOptions& options, std::vector<Registration>* registrations);
