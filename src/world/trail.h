#pragma once
// A short list of cells stamped with a time, newest first, kept by every
// player record.

#include <cstdint>

// The clock of the trail stamps; the client never advances it.
extern int64_t trail_clock;

struct TrailNode {
  uint16_t x = 0;
  uint16_t y = 0;
  int64_t time = 0;
  TrailNode* next = nullptr;
};

class Trail {
 public:
  Trail() = default;
  ~Trail() { clear(); }
  // A copy holds its own nodes.
  Trail(const Trail& other) { copy_from(other); }
  Trail& operator=(const Trail& other);

  // Empties the trail (a fresh one is empty already).
  void init() { clear(); }
  // The node of that cell: the existing one, or a new one at the head.
  TrailNode* add(int x, int y);
  int contains(int x, int y) const;
  void remove_oldest();
  void remove_newest();
  void clear();
  // Drops nodes from the head while they are older than 4 clock units.
  void expire();
  int size() const;

  TrailNode* head = nullptr;

 private:
  void copy_from(const Trail& other);
};
