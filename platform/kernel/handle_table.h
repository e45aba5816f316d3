#pragma once
#include <cstdint>

namespace kernel {

// Process-wide table of the opaque 32-bit handles that files and sockets are
// known by. Values are never 0 and never all ones, so that a real
// descriptor 0 can never look like "no handle". A socket handle is also a
// valid file handle, as on the original platform. Handles are handed out in
// increasing order from 0x104, in steps of 4 as the original's, and start
// there again only after the largest value.
enum class HandleKind { File, Socket };

constexpr std::uint32_t kNoHandle = 0xFFFFFFFFu;

std::uint32_t InsertHandle(int fd, HandleKind kind);
// The descriptor behind a handle, or -1 when the handle is not in the table.
int DescriptorOf(std::uint32_t handle);
bool IsHandleKind(std::uint32_t handle, HandleKind kind);
// Removes the handle; returns its descriptor (not closed), or -1.
int RemoveHandle(std::uint32_t handle);
// Flags kept with a handle for its owner's use (the sockets library notes a
// shut sending side); they go when the handle is removed. Setting ORs the
// flags in; unknown handles have none.
void SetHandleFlags(std::uint32_t handle, std::uint32_t flags);
void ClearHandleFlags(std::uint32_t handle, std::uint32_t flags);
std::uint32_t HandleFlags(std::uint32_t handle);

}  // namespace kernel
