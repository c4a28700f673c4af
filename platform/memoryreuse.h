#pragma once

// Keeps freed blocks of up to 32 MiB with the process, and up to 256 MiB of
// them at the top of each heap, for the next allocation of their size. A
// run that decodes one picture after another on several threads otherwise
// hands each picture's pages back to the system as it is freed and has the
// next decode fault every one of them in anew: a fifth of such a run's time.
// Process-wide and for good; later calls do nothing.
void KeepFreedMemoryForReuse();
