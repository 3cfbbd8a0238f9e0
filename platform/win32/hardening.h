// What the program does first, before anything loads a DLL or allocates:
// bare DLL names are looked for in System32 only, never in the program's
// folder or the current directory, and the heap ends the process when it
// finds itself corrupted. Each step that Windows refuses or lacks is
// skipped; nothing the user sees depends on them.
#pragma once

namespace plinor {

void HardenProcess();

}  // namespace plinor
