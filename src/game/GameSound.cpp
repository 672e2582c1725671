// The game's sound: opening the device, loading "wave.col" and playing effects by number.
#include <iterator>
#include <memory>

#include "game/GameUnit.h"
#include "platform/System.h"
#include "sound/WaveCollection.h"

bool TGame::InitSound() {
  // An old collection releases its buffer on the device it was made with: it goes first.
  Sounds.reset();
  DirectSound = Sys.OpenAudio();
  if (DirectSound) {
    Sounds = std::make_unique<TWaveCollection>(DirectSound.get());
    return true;
  }
  SoundOn = 0;
  return false;
}

bool TGame::LoadSounds() {
  if (!Sounds) return false;
  Sounds->FileName = kSoundFile;
  if (Sounds->Load()) return true;
  SoundOn = 0;
  Sounds.reset();
  return false;
}

void TGame::PlaySound(int index) {
  if (!SoundOn || !Sounds) return;
  // A failed load leaves no buffer, so nothing sounds; the previous sound is cut either way.
  (void)Sounds->LoadBuffer(index);
  if (Sounds->PlayBuffer(false) && index >= 0 && index < int(std::size(SoundsPlayed)))
    ++SoundsPlayed[index];
}
