// Settings of jemalloc, the program's memory allocator, read when it starts.
//
// A split or a conversion of a big workbook touches a few hundred megabytes of fresh memory.
// With 4 KB pages every one of them costs a page fault, and on virtual machines that was a
// quarter of the running time; transparent huge pages (2 MB) take that to almost nothing.
// Debian kernels hand out huge pages only where asked (madvise), so the allocator asks.
// One arena: the program allocates mostly on one thread, and more arenas only add memory.
extern "C" {
const char* malloc_conf = "thp:always,metadata_thp:auto,narenas:1";
}
