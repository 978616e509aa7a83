#pragma once
// Memory that the program has freed but the C library's heap still holds is handed back to the
// system: after a read that ran out of memory the next large allocation must not fail for it.
void ReturnFreeMemory() noexcept;
