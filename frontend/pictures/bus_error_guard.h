// The SIGBUS guard of mapped picture files (pixel_buffer.h). An access to a
// page of a mapped file beyond the file's end, once another process cut the
// file short, raises SIGBUS. For an address inside a guarded range the
// handler puts zero-filled pages in place of the range from the faulting page
// to its end and notes the range as lost; the access is then retried and
// reads zeros, so the analysis runs on to its end and the run fails on the
// lost note. Any other SIGBUS gets the action that was in place before the
// guard.
#pragma once

#include <cstddef>

namespace sensor::frontend {

// Guards the page-aligned range [begin, begin + size), installing the handler
// on the first call; the range's slot, or -1 when every slot is taken or the
// handler cannot be installed (then the range must not be used as a mapping).
int GuardMappedRange(void* begin, std::size_t size);

// Ends the guard of a slot; call before the range is unmapped.
void UnguardMappedRange(int slot);

// Whether the handler replaced pages of the slot's range.
bool MappedRangeLost(int slot);

}  // namespace sensor::frontend
