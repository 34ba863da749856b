# SPDX-License-Identifier: GPL-3.0-or-later
# Gives a syllable spoken by espeak-ng the pitch contour of its tone. Overlap-add
# (PSOLA) resynthesis changes the pitch and the length of the voiced part and
# leaves the voice itself as it was.
#
# The builder appends one call per syllable:
#   @contour: input wave, output wave, voiced seconds, peak, top Hz, range,
#   ... {share of the voiced part, semitones above the bottom, ...}
# The contour spans the voiced part from its first to its last glottal pulse.

procedure contour: .in$, .out$, .seconds, .peak, .top, .range, .points#
    # Overlap-add copies the voiceless stretches at random points. The same
    # seed for every syllable gives the same bytes on every run, whichever
    # syllables share the run.
    random_initializeWithSeedUnsafelyButPredictably (1)
    .sound = Read from file: .in$
    .end = Get end time
    .manipulation = To Manipulation: 0.01, 60, 400
    .pulses = Extract pulses
    .count = Get number of points
    if .count < 2
        exitScript: "no voiced part in ", .in$
    endif
    .t0 = Get time from index: 1
    .t1 = Get time from index: .count
    .voiced = .t1 - .t0

    .pitch = Create PitchTier: "contour", 0, .end
    for .i from 1 to size (.points#) / 2
        .at = .t0 + .points# [2 * .i - 1] * .voiced
        .semitones = .points# [2 * .i] - .range
        Add point: .at, .top * 2 ^ (.semitones / 12)
    endfor

    # Only the voiced part changes length: the consonants keep their own.
    .stretch = .seconds / .voiced
    .duration = Create DurationTier: "length", 0, .end
    Add point: max (0, .t0 - 0.001), 1
    Add point: .t0, .stretch
    Add point: .t1, .stretch
    Add point: min (.end, .t1 + 0.001), 1

    selectObject: .manipulation
    plusObject: .pitch
    Replace pitch tier
    selectObject: .manipulation
    plusObject: .duration
    Replace duration tier
    selectObject: .manipulation
    .result = Get resynthesis (overlap-add)
    # Overlap-add carries a slight offset into the silence after the vowel,
    # enough to keep the trimmer from cutting it: take away all below the voice.
    .clean = Filter (stop Hann band): 0, 40, 20
    Scale peak: .peak
    Save as WAV file: .out$
    removeObject: .sound, .manipulation, .pulses, .pitch, .duration, .result, .clean
endproc
