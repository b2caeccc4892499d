// The trail of stamped cells.

#include "world/trail.h"

int64_t trail_clock = 0;

Trail& Trail::operator=(const Trail& other) {
  if (this != &other) {
    clear();
    copy_from(other);
  }
  return *this;
}

void Trail::copy_from(const Trail& other) {
  head = nullptr;
  TrailNode** tail = &head;
  for (const TrailNode* n = other.head; n; n = n->next) {
    *tail = new TrailNode{n->x, n->y, n->time, nullptr};
    tail = &(*tail)->next;
  }
}

TrailNode* Trail::add(int x, int y) {
  const uint16_t ux = static_cast<uint16_t>(x), uy = static_cast<uint16_t>(y);
  for (TrailNode* n = head; n; n = n->next)
    if (n->x == ux && n->y == uy) return n;
  head = new TrailNode{ux, uy, trail_clock, head};
  return head;
}

int Trail::contains(int x, int y) const {
  const uint16_t ux = static_cast<uint16_t>(x), uy = static_cast<uint16_t>(y);
  for (const TrailNode* n = head; n; n = n->next)
    if (n->x == ux && n->y == uy) return 1;
  return 0;
}

void Trail::remove_oldest() {
  if (!head) return;
  TrailNode** link = &head;
  while ((*link)->next) link = &(*link)->next;
  delete *link;
  *link = nullptr;
}

void Trail::remove_newest() {
  if (!head) return;
  TrailNode* n = head;
  head = n->next;
  delete n;
}

void Trail::clear() {
  while (head) remove_newest();
}

void Trail::expire() {
  while (head && head->time + 4 < trail_clock) remove_newest();
}

int Trail::size() const {
  int n = 0;
  for (const TrailNode* t = head; t; t = t->next) ++n;
  return n;
}
