#include "core/id_allocator.h"

IdAllocator::IdAllocator(int lo, int hi) : lo_(lo), hi_(hi), next_(lo) {}

bool IdAllocator::is_used(int id) const {
  if (!inside(id)) return true;
  auto it = used_.find(id);
  return it != used_.end() && it->second;
}

bool IdAllocator::is_free(int id) const { return inside(id) && !is_used(id); }

void IdAllocator::mark_used(int id) {
  if (inside(id)) used_[id] = true;
}

void IdAllocator::release(int id) {
  if (!inside(id)) return;
  used_[id] = false;
  next_ = id;
}

int IdAllocator::allocate(bool peek) {
  long n = static_cast<long>(hi_) - lo_;
  if (n < 1) return -1;
  if (next_ >= hi_ - 1) next_ = lo_;
  int candidate = next_;
  for (long tries = 0; tries < n; ++tries) {
    if (candidate >= hi_) candidate = lo_;
    if (!is_used(candidate)) {
      if (!peek) {
        used_[candidate] = true;
        next_ = candidate + 1;
      }
      return candidate;
    }
    ++candidate;
  }
  return -1;
}
