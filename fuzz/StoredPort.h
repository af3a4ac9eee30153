#pragma once

#include "serial/ComTypes.h"
#include "serial/TCustomComPort.h"
#include "tests/TemporaryFolder.h"

#include <memory>
#include <string>

// A closed port named as the window names it, storing every group of settings, over a scripted
// device so that nothing reaches a real one.
std::unique_ptr<TCustomComPort> NewStoringPort();

// The window restores the port's settings at start and saves them on OK: whatever the store at
// `path` held before, what was saved must restore to the same settings. Failures the store
// reports (EComPort) are the answer to a damaged store and end the check.
void CheckStoredSettingsRoundTrip(TStoreType store, const std::string& path,
                                  const TemporaryFolder& folder);
