#!/usr/bin/env bash
# Generates the placeholder sound set of the client with sox.
#   make_sounds.sh OUT_DIR
# OUT_DIR receives the tree Interface/, Music/, Map/, Player/, Zombies/,
# Weapons/, Effects/ (the folder the client knows as "Sounds"). Every file is
# 22050 Hz, mono, 16-bit WAV, made from tones and noise only, so the set stays
# small and is rebuilt in a second or two. Each family has its own character:
# clicks and blips for the interface, short tonal loops for the musics, noise
# bursts of different colours for the guns, low thuds for steps.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 OUT_DIR" >&2
    exit 2
fi
out=$1
rate=22050

# Peak level in dBFS that each family is brought to: interface clicks stay
# soft, the musics leave room for the game above them.
peak=-3

# snd RELATIVE_PATH SOX_EFFECTS...: one file from the null input, brought to
# the current peak level.
snd() {
    local rel=$1
    shift
    mkdir -p "$out/$(dirname "$rel")"
    # -D -R: no dither and seeded noise, so a recipe always gives the same bytes.
    # Segments joined with ":" share the output, so the level is set in a second pass.
    sox -D -R -n -r "$rate" -c 1 -t sox - "$@" |
        sox -D -R -t sox - -b 16 "$out/$rel" gain -n "$peak"
}

# chord WAVE SECONDS NOTE...: the effect words of one chord segment, to be
# joined to others with ":" (sox then plays the segments one after another).
chord() {
    local wave=$1 len=$2 first=1 words=()
    shift 2
    for note in "$@"; do
        if [ $first -eq 1 ]; then
            words+=(synth "$len" "$wave" "$note")
            first=0
        else
            words+=(synth "$len" "$wave" mix "$note")
        fi
    done
    words+=(fade q 0.02 "$len" 0.12 vol 0.6)
    echo "${words[@]}"
}

# --- Interface: soft clicks and blips -------------------------------------
peak=-12
snd Interface/menunav.wav synth 0.05 sine 1200 fade q 0.003 0.05 0.04 vol 0.5
snd Interface/menuvalid.wav synth 0.07 sine 880 fade q 0.003 0.07 0.02 vol 0.5 : \
    synth 0.1 sine 1320 fade q 0.003 0.1 0.07 vol 0.5
snd Interface/back.wav synth 0.14 sine 900-450 fade q 0.003 0.14 0.08 vol 0.5
snd Interface/toucheClavier1.wav synth 0.018 whitenoise vol 0.5 highpass 2500 fade q 0.001 0.018 0.012 vol 0.4
snd Interface/toucheClavier2.wav synth 0.022 whitenoise bandpass 1500 400 fade q 0.001 0.022 0.015 vol 0.5
snd Interface/toucheEnter.wav synth 0.03 whitenoise lowpass 900 fade q 0.001 0.03 0.02 vol 0.7 : \
    synth 0.06 sine 660 fade q 0.003 0.06 0.04 vol 0.4
snd Interface/toucheNav.wav synth 0.012 square 2000 fade q 0.001 0.012 0.008 vol 0.25
snd Interface/toucheSup.wav synth 0.05 whitenoise synth 0.05 sine mix 1500-700 vol 0.5 highpass 1200 \
    fade q 0.001 0.05 0.03 vol 0.4
snd Interface/TeamCreate.wav $(chord triangle 0.09 C5) : $(chord triangle 0.09 E5) : $(chord triangle 0.2 G5)
snd Interface/TeamDestroy.wav $(chord triangle 0.09 G5) : $(chord triangle 0.09 E5) : $(chord triangle 0.2 C5)
snd Interface/TeamJoin.wav $(chord sine 0.1 A5) : $(chord sine 0.18 D6)
snd Interface/TeamLeave.wav $(chord sine 0.1 D6) : $(chord sine 0.18 A5)
snd Player/ChatOpen.wav synth 0.08 sine 500-1100 fade q 0.005 0.08 0.04 vol 0.5

# --- Musics: short tonal loops, each menu music its own mode and timbre ------
peak=-6
snd Music/menu_music_1.wav $(chord sine 0.5 A3 C4 E4) : $(chord sine 0.5 F3 A3 C4) : \
    $(chord sine 0.5 C3 E3 G3) : $(chord sine 0.5 G3 B3 D4) : $(chord sine 0.5 A3 C4 E4) : \
    $(chord sine 0.5 F3 A3 C4) : $(chord sine 0.5 D3 F3 A3) : $(chord sine 0.5 E3 G3 B3)
snd Music/menu_music_2.wav $(chord square 0.4 C3 G3) : $(chord square 0.4 E4) : $(chord square 0.4 G4) : \
    $(chord square 0.4 C3 G3) : $(chord square 0.4 D4) : $(chord square 0.4 F4) : \
    $(chord square 0.4 A2 E3) : $(chord square 0.4 C4) : $(chord square 0.4 E4) : $(chord square 0.4 B3) \
    lowpass 1800
snd Music/menu_music_3.wav $(chord triangle 0.25 D3) : $(chord triangle 0.25 D4) : $(chord triangle 0.25 A3) : \
    $(chord triangle 0.25 F3) : $(chord triangle 0.25 D3) : $(chord triangle 0.25 D4) : \
    $(chord triangle 0.25 C4) : $(chord triangle 0.25 A3) : $(chord triangle 0.25 Bb2) : \
    $(chord triangle 0.25 Bb3) : $(chord triangle 0.25 F3) : $(chord triangle 0.25 D3) : \
    $(chord triangle 0.25 C3) : $(chord triangle 0.25 C4) : $(chord triangle 0.25 E3) : $(chord triangle 0.25 G3)
snd Music/menu_music_4.wav $(chord pluck 0.3 E3) : $(chord pluck 0.3 B3) : $(chord pluck 0.3 E4) : \
    $(chord pluck 0.3 G4) : $(chord pluck 0.3 F#4) : $(chord pluck 0.3 D4) : $(chord pluck 0.3 B3) : \
    $(chord pluck 0.3 A3) : $(chord pluck 0.3 C4) : $(chord pluck 0.3 E4) : $(chord pluck 0.3 B3) : \
    $(chord pluck 0.3 G3)
snd Music/menu_music_5.wav synth 4 sawtooth 55 synth 4 sawtooth mix 82.4 synth 4 sine amod 0.5 60 \
    lowpass 700 fade q 0.2 4 0.3 vol 0.7
snd Music/menu_music_6.wav $(chord sine 0.6 C5 G5 E6) tremolo 7 40 : $(chord sine 0.6 A4 E5 C6) tremolo 7 40 : \
    $(chord sine 0.6 F4 C5 A5) tremolo 7 40 : $(chord sine 0.6 G4 D5 B5) tremolo 7 40 : \
    $(chord sine 0.8 C5 E5 G5) tremolo 7 40
snd Music/map_attente_1.wav $(chord sine 1 D3 A3 F4) : $(chord sine 1 G3 D4 Bb4) : \
    $(chord sine 1 C3 G3 E4) : $(chord sine 1 A2 E3 C#4) : $(chord sine 1 D3 A3 F4)
snd Music/map_maison_1.wav synth 4 square 41.2 synth 4 sine mix 43.6 synth 4 sine amod 1.5 80 vol 0.5 \
    lowpass 400 synth 4 brownnoise mix fade q 0.3 4 0.3 vol 0.9
# The intro plays once and ends by itself (the menu follows its end).
snd Music/intro.wav $(chord sine 1.5 A2 E3 A3) : $(chord sine 1.5 F2 C3 A3) : \
    $(chord sine 1.5 D3 F3 A3) : synth 1.6 sine A2 synth 1.6 sine mix E3 synth 1.6 sine mix C#4 \
    fade q 0.02 1.6 1.2 vol 0.6
snd Map/game_over.wav $(chord sawtooth 0.5 E4 B4) lowpass 1500 : $(chord sawtooth 0.5 D#4 A#4) lowpass 1500 : \
    $(chord sawtooth 0.5 D4 A4) lowpass 1500 : synth 1.5 sawtooth C#4 synth 1.5 sawtooth mix G#4 \
    lowpass 1500 fade q 0.02 1.5 1.2 vol 0.6

# --- Map -------------------------------------------------------------------
peak=-3
snd Map/porte_open.wav synth 0.6 sawtooth 110-190 synth 0.6 sine amod 18 50 lowpass 900 \
    fade q 0.02 0.6 0.15 vol 0.7
snd Map/porte_close.wav synth 0.3 sawtooth 180-100 synth 0.3 sine amod 22 50 lowpass 800 \
    fade q 0.01 0.3 0.05 vol 0.6 : synth 0.2 sine 70-40 synth 0.2 brownnoise mix fade q 0 0.2 0.18
snd Map/round_start.wav $(chord sawtooth 0.3 D4 A4) lowpass 2000 : $(chord sawtooth 0.3 G4 D5) lowpass 2000 : \
    $(chord sawtooth 0.7 A4 E5) lowpass 2000
snd Map/round_over.wav $(chord sawtooth 0.3 A4 E5) lowpass 2000 : $(chord sawtooth 0.3 F4 C5) lowpass 2000 : \
    $(chord sawtooth 0.7 D4 A4) lowpass 2000
snd Map/bord_de_map1.wav synth 0.15 sine 110-50 synth 0.15 pinknoise mix lowpass 500 fade q 0 0.15 0.12 vol 0.9
snd Map/bord_de_map2.wav synth 0.18 sine 80-35 synth 0.18 brownnoise mix lowpass 300 fade q 0 0.18 0.15 vol 0.9
snd Map/PotionVie.wav $(chord sine 0.08 C6) : $(chord sine 0.08 E6) : $(chord sine 0.08 G6) : \
    $(chord sine 0.08 C7) : $(chord sine 0.3 E7) tremolo 20 60
snd Map/Online.wav $(chord triangle 0.1 G4) : $(chord triangle 0.16 D5)
snd Map/Offline.wav $(chord triangle 0.1 D5) : $(chord triangle 0.16 G4)
snd Map/zombie_spawn.wav synth 1.2 brownnoise synth 1.2 sine mix 45-30 lowpass 250 fade q 0.8 1.2 0.3 vol 0.9
snd Map/mystery_box_open.wav synth 0.35 sawtooth 300-600 lowpass 1200 fade q 0.01 0.35 0.1 vol 0.5 : \
    $(chord sine 0.5 E5 B5 G#6)
snd Map/weapon_spawn_loop.wav synth 1.5 sine 660 synth 1.5 sine mix 990 synth 1.5 sine fmod 5 3 \
    tremolo 4 60 fade q 0.05 1.5 0.05 vol 0.6
snd Map/mystery_box_teleport.wav synth 0.8 pinknoise synth 0.8 sine mix 200-2000 highpass 300 \
    fade q 0.2 0.8 0.4 vol 0.6

# --- Steps: low thuds, softer in the lobby, woodier in the house, heavier for zombies
snd Player/step_map_attente1.wav synth 0.09 sine 90-50 fade q 0 0.09 0.08 vol 0.8
snd Player/step_map_attente2.wav synth 0.09 sine 100-55 fade q 0 0.09 0.08 vol 0.8
snd Player/step_map_maison1.wav synth 0.12 sine 120-60 synth 0.12 brownnoise mix lowpass 900 \
    fade q 0 0.12 0.1 vol 0.9
snd Player/step_map_maison2.wav synth 0.12 sine 135-65 synth 0.12 brownnoise mix lowpass 1000 \
    fade q 0 0.12 0.1 vol 0.9
snd Zombies/step_zombie1.wav synth 0.35 brownnoise synth 0.35 sine mix 60-35 lowpass 350 \
    fade q 0.03 0.35 0.25 vol 0.9
snd Zombies/step_zombie2.wav synth 0.4 brownnoise synth 0.4 sine mix 55-30 lowpass 300 \
    fade q 0.05 0.4 0.3 vol 0.9

# --- Weapons: blades swish, firearms are noise bursts of different colours --
snd Weapons/couteau_equipe.wav synth 0.15 whitenoise vol 0.5 highpass 4000 fade q 0.05 0.15 0.08 vol 0.5
snd Weapons/couteau_vide.wav synth 0.2 whitenoise bandpass 3000 1500 fade q 0.08 0.2 0.1 vol 0.5
snd Weapons/couteau_mort.wav synth 0.25 whitenoise vol 0.5 highpass 3000 fade q 0.05 0.25 0.15 vol 0.5 : \
    synth 0.2 sine 300-120 fade q 0 0.2 0.18 vol 0.6
snd Weapons/epee_equipe.wav synth 0.4 sine 2400 synth 0.4 sine mix 3700 fade q 0.005 0.4 0.38 vol 0.5
snd Weapons/epee_vide.wav synth 0.35 whitenoise bandpass 1800 1200 fade q 0.12 0.35 0.2 vol 0.6
snd Weapons/epee_mort.wav synth 0.35 whitenoise bandpass 1800 1200 fade q 0.1 0.35 0.2 vol 0.6 : \
    synth 0.3 sine 2400 synth 0.3 sine mix 3100 fade q 0.005 0.3 0.28 vol 0.4
snd Weapons/epee_ramasse.wav synth 0.5 sine 2000 synth 0.5 sine mix 2950 tremolo 12 50 \
    fade q 0.005 0.5 0.45 vol 0.5
snd Weapons/revolver_reload.wav synth 0.03 square 1200 fade q 0 0.03 0.02 vol 0.3 : synth 0.12 sine 10 vol 0 : \
    synth 0.03 square 1200 fade q 0 0.03 0.02 vol 0.3 : synth 0.12 sine 10 vol 0 : \
    synth 0.05 whitenoise lowpass 2000 fade q 0 0.05 0.04 vol 0.6
snd Weapons/revolver_empty.wav synth 0.02 square 3000 fade q 0 0.02 0.015 vol 0.3
snd Weapons/revolver_tir.wav synth 0.3 whitenoise lowpass 3500 fade q 0 0.3 0.28 vol 0.9
snd Weapons/revolver_equipe.wav synth 0.05 whitenoise bandpass 2500 800 fade q 0 0.05 0.04 vol 0.6 : \
    synth 0.04 square 900 fade q 0 0.04 0.03 vol 0.3
snd Weapons/fusil_reload.wav synth 0.12 whitenoise bandpass 900 500 fade q 0.02 0.12 0.05 vol 0.7 : \
    synth 0.1 sine 10 vol 0 : synth 0.1 whitenoise bandpass 1400 600 fade q 0.02 0.1 0.05 vol 0.7
snd Weapons/fusil_empty.wav synth 0.03 square 1800 fade q 0 0.03 0.02 vol 0.3
snd Weapons/fusil_tir.wav synth 0.6 brownnoise synth 0.6 sine mix 70-35 fade q 0 0.6 0.55 vol 1
snd Weapons/fusil_equipe.wav synth 0.15 whitenoise bandpass 700 400 fade q 0.01 0.15 0.1 vol 0.7
snd Weapons/fusil_ramasse.wav synth 0.1 whitenoise bandpass 700 400 fade q 0 0.1 0.08 vol 0.7 : \
    $(chord triangle 0.2 E5)
snd Weapons/M16_reload.wav synth 0.06 whitenoise bandpass 2000 800 fade q 0 0.06 0.04 vol 0.7 : \
    synth 0.15 sine 10 vol 0 : synth 0.04 square 1500 fade q 0 0.04 0.03 vol 0.3
snd Weapons/M16_empty.wav synth 0.025 square 2400 fade q 0 0.025 0.02 vol 0.3
snd Weapons/M16_tir.wav synth 0.14 pinknoise fade q 0 0.14 0.12 vol 1
snd Weapons/M16_equipe.wav synth 0.06 whitenoise bandpass 1800 600 fade q 0 0.06 0.05 vol 0.6 : \
    synth 0.05 whitenoise bandpass 1200 600 fade q 0 0.05 0.04 vol 0.6
snd Weapons/M16_ramasse.wav synth 0.06 whitenoise bandpass 1800 600 fade q 0 0.06 0.05 vol 0.6 : \
    $(chord triangle 0.2 G5)
snd Weapons/AK47_reload.wav synth 0.08 whitenoise bandpass 1200 500 fade q 0 0.08 0.06 vol 0.7 : \
    synth 0.18 sine 10 vol 0 : synth 0.06 whitenoise bandpass 800 400 fade q 0 0.06 0.05 vol 0.8
snd Weapons/AK47_empty.wav synth 0.03 square 1400 fade q 0 0.03 0.025 vol 0.35
snd Weapons/AK47_tir.wav synth 0.18 whitenoise lowpass 1800 synth 0.18 sine mix 120-60 fade q 0 0.18 0.16 vol 1
snd Weapons/AK47_equipe.wav synth 0.08 whitenoise bandpass 1000 500 fade q 0 0.08 0.06 vol 0.7
snd Weapons/AK47_ramasse.wav synth 0.08 whitenoise bandpass 1000 500 fade q 0 0.08 0.06 vol 0.7 : \
    $(chord triangle 0.2 B4)
snd Weapons/bullet_impact.wav synth 0.08 pinknoise bandpass 600 300 fade q 0 0.08 0.07 vol 1
snd Weapons/couteau_impact.wav synth 0.1 whitenoise bandpass 2500 1000 synth 0.1 sine mix 180-90 \
    fade q 0 0.1 0.09 vol 0.8
snd Weapons/epee_impact.wav synth 0.15 whitenoise bandpass 1500 800 synth 0.15 sine mix 220-100 \
    fade q 0 0.15 0.13 vol 0.8

# --- Zombies and the player ------------------------------------------------
snd Zombies/death_walker.wav synth 0.9 sawtooth 120-45 synth 0.9 brownnoise mix lowpass 700 \
    fade q 0.02 0.9 0.5 vol 0.8
snd Zombies/grognement1.wav synth 1.1 sawtooth 95-60 synth 1.1 sine fmod 7 4 lowpass 600 \
    fade q 0.15 1.1 0.4 vol 0.8
snd Player/death.wav synth 1 sine 440-110 fade q 0.01 1 0.6 vol 0.6
snd Player/HommeMort.wav synth 1 sawtooth 180-70 vol 0.6 lowpass 900 fade q 0.05 1 0.6 vol 0.6
snd Player/FemmeMort.wav synth 1 sawtooth 380-160 lowpass 1600 fade q 0.05 1 0.6 vol 0.6
snd Player/morsure.wav synth 0.05 whitenoise lowpass 2500 vol 0.9 : synth 0.04 whitenoise lowpass 2500 vol 0.4 : \
    synth 0.06 whitenoise lowpass 2500 fade q 0 0.06 0.05 vol 0.9
snd Player/CriHomme.wav synth 0.6 sawtooth 210-150 synth 0.6 sine fmod 6 3 lowpass 1500 \
    fade q 0.03 0.6 0.2 vol 0.6
snd Player/CriFemme.wav synth 0.6 sawtooth 440-320 synth 0.6 sine fmod 6 3 lowpass 3000 \
    fade q 0.03 0.6 0.2 vol 0.6
snd Player/cloche.wav synth 1.5 sine 660 synth 1.5 sine mix 1580 synth 1.5 sine mix 2210 \
    fade q 0.002 1.5 1.45 vol 0.7
snd Player/chat.wav $(chord sine 0.06 1000) : $(chord sine 0.08 1500)
snd Player/mp.wav $(chord sine 0.06 1500) : $(chord sine 0.06 1000) : $(chord sine 0.08 1500)

# --- Effects ---------------------------------------------------------------
snd Effects/max_munition.wav $(chord square 0.08 C5) lowpass 2500 : $(chord square 0.08 C5) lowpass 2500 : \
    $(chord square 0.2 G5) lowpass 2500
snd Effects/double_point.wav $(chord triangle 0.1 E5 G5) : $(chord triangle 0.25 E6 G6)
snd Effects/instant_kill.wav $(chord sawtooth 0.12 A3) lowpass 1200 : $(chord sawtooth 0.3 A2 E3) lowpass 1200
snd Effects/instant_kill_sound.wav synth 2 sine 110 synth 2 sine mix 116.5 synth 2 sine amod 3 70 \
    fade q 0.3 2 0.6 vol 0.7

touch "$out/.generated"
