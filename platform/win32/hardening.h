// What the program does first, in its earliest constructor: once the loader
// has loaded the DLLs its imports name and the C runtime has started, and
// before any other code of the program runs. From then on, bare DLL names
// are looked for in System32 only, never in the program's folder or the
// current directory, and the heap ends the process when it finds itself
// corrupted. Each step that Windows refuses or lacks is
// skipped; nothing the user sees depends on them.
#pragma once

namespace plinor {

void HardenProcess();

}  // namespace plinor
