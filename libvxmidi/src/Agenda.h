// The messages a real-time thread still has to play, each due at a moment of its own: the
// audio callback of the built-in synthesizer and the process callback of a JACK port keep
// one, filled from the queue of what was put.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vx {

// One message on its way out. dueNs is the moment it counts as put (the moment of the put
// itself, or the stamp of the song's beat), on the monotonic clock; sequence is the order of
// the puts, which decides between messages due at the same moment.
struct Scheduled {
  // A Reset is a part of a device's reset: a flush that follows does not drop it.
  enum class Kind : uint8_t { Message, Reset };
  int64_t dueNs = 0;
  uint64_t sequence = 0;
  // The flush count when it was put; one of an earlier count has been flushed.
  uint32_t generation = 0;
  Kind kind = Kind::Message;
  // Put with a stamp of a song's beat, not at once.
  bool stamped = false;
  uint8_t length = 0;
  uint8_t bytes[3] = {};

  // A note-off (or a note-on of velocity 0): channel * 128 + key; -1 otherwise.
  // Stamped and waiting for its moment when a flush came: the flush count at its put is older
  // than current (compared so that counts may wrap). A message put at once was sent as far as
  // its caller knows (a volume set just before a song loads), so a flush never drops it.
  bool flushedBy(uint32_t current) const {
    return kind == Kind::Message && stamped && static_cast<int32_t>(generation - current) < 0;
  }
  int noteOffKey() const;
  int noteOnKey() const;
};

// Messages ordered by due moment, then by put order. Fixed room, no allocation: the owner is
// a real-time thread.
template <std::size_t Capacity>
class Agenda {
 public:
  bool empty() const { return count_ == 0; }
  bool full() const { return count_ == Capacity; }
  std::size_t size() const { return count_; }
  const Scheduled &front() const { return entries_[head_]; }

  // Places entry in order; false when full. Messages mostly come in order, so this is
  // usually a store at the end.
  bool insert(const Scheduled &entry) {
    if (full()) return false;
    if (head_ + count_ == Capacity) compact();
    std::size_t at = head_ + count_;
    while (at > head_ && later(entries_[at - 1], entry)) {
      entries_[at] = entries_[at - 1];
      --at;
    }
    entries_[at] = entry;
    ++count_;
    if (entry.stamped) ++stamped_;
    return true;
  }

  void popFront() {
    if (entries_[head_].stamped) --stamped_;
    ++head_;
    if (--count_ == 0) head_ = 0;
  }

  // Drops every message of a generation before current (compared so that counts may wrap);
  // answers how many.
  std::size_t dropFlushed(uint32_t current) {
    if (stamped_ == 0) return 0;
    return removeIf([current](const Scheduled &e) { return e.flushedBy(current); });
  }

  // A note ended by a message put later must stay ended: stamped note-ons of key put before
  // noteOff and due after it are dropped (a track switched off while its notes were on their
  // way).
  std::size_t cancelNoteOns(const Scheduled &noteOff) {
    // Most note-offs put at once meet no stamped message at all (a device's reset, a burst of
    // a feed): they cost nothing then, however full the agenda.
    if (stamped_ == 0) return 0;
    const int key = noteOff.noteOffKey();
    return removeIf([&](const Scheduled &e) {
      return e.stamped && e.sequence < noteOff.sequence && e.dueNs > noteOff.dueNs &&
             e.noteOnKey() == key;
    });
  }

  // Drops the stamped messages put up to sequence: a reset ends what a song had on its way.
  std::size_t dropStamped(uint64_t upTo) {
    if (stamped_ == 0) return 0;
    return removeIf([upTo](const Scheduled &e) { return e.stamped && e.sequence <= upTo; });
  }

 private:
  static bool later(const Scheduled &a, const Scheduled &b) {
    return a.dueNs != b.dueNs ? a.dueNs > b.dueNs : a.sequence > b.sequence;
  }

  void compact() {
    for (std::size_t i = 0; i < count_; ++i) entries_[i] = entries_[head_ + i];
    head_ = 0;
  }

  template <class Predicate>
  std::size_t removeIf(Predicate drop) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count_; ++i) {
      const Scheduled &entry = entries_[head_ + i];
      if (!drop(entry))
        entries_[kept++] = entry;
      else if (entry.stamped)
        --stamped_;
    }
    const std::size_t removed = count_ - kept;
    head_ = 0;
    count_ = kept;
    return removed;
  }

  std::array<Scheduled, Capacity> entries_{};
  std::size_t head_ = 0;
  std::size_t count_ = 0;
  // How many of the entries are stamped: what a note-off or a reset may have to drop.
  std::size_t stamped_ = 0;
};

inline int Scheduled::noteOffKey() const {
  if (length != 3) return -1;
  const uint8_t type = bytes[0] & 0xF0;
  if (type == 0x80 || (type == 0x90 && bytes[2] == 0))
    return (bytes[0] & 0x0F) * 128 + (bytes[1] & 0x7F);
  return -1;
}

inline int Scheduled::noteOnKey() const {
  if (kind != Kind::Message || length != 3) return -1;
  if ((bytes[0] & 0xF0) == 0x90 && bytes[2] != 0)
    return (bytes[0] & 0x0F) * 128 + (bytes[1] & 0x7F);
  return -1;
}

}  // namespace vx
