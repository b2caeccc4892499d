#pragma once
// Hands out free ids from a range [lo, hi); used by the server role only.

#include <map>

class IdAllocator {
 public:
  IdAllocator(int lo, int hi);

  bool is_used(int id) const;
  bool is_free(int id) const;
  void mark_used(int id);
  void release(int id);
  // A free id, or -1 when the range is full. With `peek` nothing changes.
  int allocate(bool peek = false);

 private:
  bool inside(int id) const { return id >= lo_ && id < hi_; }

  int lo_, hi_;
  int next_;
  std::map<int, bool> used_;
};
