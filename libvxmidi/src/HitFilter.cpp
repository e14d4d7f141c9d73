#include "HitFilter.h"

namespace vx {

void HitFilter::configure(const VxMidiThru *thru) {
  Config &config = slots_[back_];
  config.active = thru != nullptr;
  config.thru = thru ? *thru : VxMidiThru{};
  back_ = middle_.exchange(static_cast<uint8_t>(back_ | kNew), std::memory_order_acq_rel) & 3;
}

void HitFilter::refresh() {
  if (middle_.load(std::memory_order_acquire) & kNew)
    front_ = middle_.exchange(front_, std::memory_order_acq_rel) & 3;
}

HitFilter::Decision HitFilter::take(const ShortMessage &message, int64_t ns) {
  refresh();
  Decision decision;
  const uint8_t status = message.bytes[0];
  const uint8_t type = status & 0xF0;
  if (status == 0xF8) return decision;  // timing clock: a module's tempo, no hit
  if (message.length < 3 || (type != 0x90 && type != 0x80 && type != 0xB0)) {
    decision.deliver = !config().active || status == 0xFE || status < 0xF0;
    return decision;
  }
  const uint8_t note = message.bytes[1] & 0x7F;
  const uint8_t velocity = message.bytes[2] & 0x7F;
  const VxMidiThru &thru = config().thru;
  const uint8_t channel = thru.channel & 0x0F;

  if (type == 0xB0) {
    if (note == 4) {
      pedalHeard_ = true;
      pedal_ = velocity;
    }
    decision.deliver = true;
    return decision;
  }

  if (type == 0x80 || velocity == 0) {
    decision.deliver = true;
    if (config().active && soundedBy_[note] != 0) {
      decision.sound = {3, {static_cast<uint8_t>(0x90 | channel), soundedBy_[note], 0}};
      soundedBy_[note] = 0;
    }
    return decision;
  }

  // A note-on. A pad struck again sooner than any drummer can is one hit: a flood thins to
  // one hit per pad every VX_RETRIGGER_NS.
  LastHit &last = last_[note];
  if (last.seen && ns - last.ns < VX_RETRIGGER_NS) return decision;
  if (config().active) {
    if (velocity < thru.minVelocity) return decision;
    if (thru.crossTalkGuard) {
      for (int other = 0; other < 128; ++other) {
        const LastHit &hit = last_[other];
        if (other != note && hit.seen && ns - hit.ns < VX_CROSSTALK_NS &&
            hit.velocity >= VX_CROSSTALK_RATIO * velocity)
          return decision;
      }
    }
  }
  last = {ns, velocity, true};
  decision.deliver = true;
  if (!config().active) return decision;
  uint8_t sounded = thru.note[note];
  if (thru.hat[note] && pedalHeard_) {
    const bool closed = (pedal_ >= thru.closedFrom) != (thru.pedalInverted != 0);
    sounded = closed ? thru.closedHatNote : thru.openHatNote;
  }
  if (sounded > 127) return decision;
  decision.soundedNote = sounded;
  decision.sound = {3, {static_cast<uint8_t>(0x90 | channel), sounded, velocity}};
  soundedBy_[note] = sounded;
  return decision;
}

}  // namespace vx
