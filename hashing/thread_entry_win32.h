// Windows enters thread procedures of the i686 build with a 4-byte-aligned
// stack; the hashing code may use SSE, so the entry points realign it.
#pragma once

#if defined(__i386__)
#define CORVANA_THREAD_ENTRY __attribute__((force_align_arg_pointer))
#else
#define CORVANA_THREAD_ENTRY
#endif
