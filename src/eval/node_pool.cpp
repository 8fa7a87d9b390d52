// SPDX-License-Identifier: GPL-3.0-or-later
// Recycles the memory of expression-tree nodes per thread.

#include <array>
#include <cstddef>
#include <new>

#include "eval/node.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUANTREL_NODE_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUANTREL_NODE_POOL 0
#endif
#endif
#ifndef QUANTREL_NODE_POOL
#define QUANTREL_NODE_POOL 1  // off under AddressSanitizer, which must see every node freed
#endif

namespace quantrel {
namespace {

constexpr std::size_t kGranule = 16;
constexpr std::size_t kLargestPooled = 256;
constexpr std::size_t kClasses = kLargestPooled / kGranule;
/// Free blocks kept per size class; more go back to the general allocator.
constexpr int kMaxFreeBlocks = 4096;

struct FreeBlock {
    FreeBlock* next;
};

struct FreeList {
    FreeBlock* head = nullptr;
    int count = 0;
};

class NodePool {
public:
    ~NodePool() {
        alive_ = false;
        for (FreeList& list : lists_) {
            while (list.head != nullptr) {
                FreeBlock* block = list.head;
                list.head = block->next;
                ::operator delete(block);
            }
        }
    }
    /// False once the thread's pool is gone: blocks freed later go straight back.
    static bool alive() { return alive_; }
    FreeList& list(std::size_t size) { return lists_[(size + kGranule - 1) / kGranule - 1]; }

private:
    static thread_local bool alive_;
    std::array<FreeList, kClasses> lists_{};
};

thread_local bool NodePool::alive_ = true;

NodePool& pool() {
    thread_local NodePool instance;
    return instance;
}

std::size_t roundedSize(std::size_t size) {
    return (size + kGranule - 1) / kGranule * kGranule;
}

}  // namespace

void* Node::operator new(std::size_t size) {
    if (QUANTREL_NODE_POOL && size <= kLargestPooled && NodePool::alive()) {
        FreeList& list = pool().list(size);
        if (FreeBlock* block = list.head) {
            list.head = block->next;
            --list.count;
            return block;
        }
        return ::operator new(roundedSize(size));
    }
    return ::operator new(size);
}

void Node::operator delete(void* block, std::size_t size) noexcept {
    if (QUANTREL_NODE_POOL && size <= kLargestPooled) {
        if (NodePool::alive()) {
            FreeList& list = pool().list(size);
            if (list.count < kMaxFreeBlocks) {
                list.head = new (block) FreeBlock{list.head};
                ++list.count;
                return;
            }
        }
        ::operator delete(block);
        return;
    }
    ::operator delete(block);
}

}  // namespace quantrel
