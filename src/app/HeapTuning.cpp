#include "HeapTuning.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

void HeapTuning::apply()
{
#if defined(M_MMAP_THRESHOLD)
    // A fixed threshold: the library's own rises to the largest block freed so far, and keeps it.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}
