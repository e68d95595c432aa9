#!/usr/bin/env python3
"""trundlebay-tool sound: the JSON and exit codes, the samples it dumps, which must be what
ffmpeg decodes from the same ADPCM and 8-bit files, and what it says of formats the game plays
differently or not at all."""
import json
import os
import subprocess

import harness
from harness import check


def run(*command):
    return subprocess.run(list(command), capture_output=True, timeout=60, check=True)


def sound(tool, *args):
    done = subprocess.run([tool, "sound", *args], capture_output=True, text=True, timeout=30)
    result = json.loads(done.stdout) if done.stdout.strip() else None
    return done.returncode, result, done.stderr


def ffmpeg_samples(path):
    return run("ffmpeg", "-nostdin", "-loglevel", "error", "-i", path, "-f", "s16le",
               "-c:a", "pcm_s16le", "-").stdout


def sound_tool_reads_as_ffmpeg_and_names_formats(game):
    tool = os.path.join(game.build_dir, "trundlebay-tool")
    folder = game.folder
    source = os.path.join(folder, "source.wav")
    run("sox", "-V1", "-n", "-r", "11025", "-c", "2", source, "synth", "0.9",
        "sine", "300-2500", "brownnoise")
    files = {
        "ffmpeg stereo ADPCM": ["ffmpeg", "-nostdin", "-loglevel", "error", "-i", source,
                                "-c:a", "adpcm_ms", "-block_size", "512"],
        "sox mono ADPCM": ["sox", "-V1", source, "-c", "1", "-e", "ms-adpcm"],
        "sox 8-bit PCM": ["sox", "-V1", source, "-c", "1", "-b", "8", "-e", "unsigned"],
    }
    for name, command in files.items():
        path = os.path.join(folder, name.replace(" ", "-") + ".wav")
        raw = path + ".raw"
        run(*command, path)
        code, result, _ = sound(tool, path, "--raw", raw)
        expected = ffmpeg_samples(path)
        with open(raw, "rb") as f:
            dumped = f.read()
        check(code == 0 and (result["code"], result["length"]) == (0, len(expected) // 2),
              "%s: channel 0 with ffmpeg's sample count (%s)" % (name, result))
        check(dumped == expected, "%s: the dumped samples are ffmpeg's" % name)

    # sox options, then: the loader's code, the file's channels and rate, the warnings
    # (words of each) and the words of the error.
    formats = [
        (["-c", "1", "-b", "16"], 0, 1, 11025, [], None),
        (["-r", "22050", "-c", "2", "-b", "16"], 0, 2, 22050, ["2 channels", "22050 Hz"],
         None),
        (["-c", "1", "-e", "ima-adpcm"], -4, 1, 11025, [], "not IMA ADPCM"),
        (["-c", "1", "-e", "floating-point", "-b", "32"], -4, 1, 11025, [], "IEEE float"),
        (["-c", "1", "-e", "mu-law"], -4, 1, 11025, [], "mu-law"),
        (["-c", "1", "-b", "24"], -4, 1, 11025, [], "extensible (PCM inside) kind"),
    ]
    for options, code_wanted, channels, rate, warnings, error in formats:
        path = os.path.join(folder, "-".join(options) + ".wav")
        run("sox", "-V1", source, *options, path)
        code, result, stderr = sound(tool, path)
        own = result.get("file", {})
        got = (result["code"], own.get("channels"), own.get("sampleRate"))
        said = " ".join(result["warnings"])
        check(got == (code_wanted, channels, rate) and len(result["warnings"]) == len(warnings)
              and all(w in said for w in warnings)
              and (error is None or error in result.get("error", "") and error in stderr),
              "%s: %s %s %s" % (options, got, result["warnings"], result.get("error")))
        if code_wanted == 0:
            seconds = result["game"]["seconds"] / own["seconds"]
            check(abs(seconds - channels * rate / 11025) < 0.01,
                  "%s: the game plays it %.2f times as long" % (options, seconds))

    code, result, stderr = sound(tool, os.path.join(folder, "absent.wav"))
    check(code == 1 and (result["code"], result["length"]) == (-1, 0), "absent file: code -1")
    check("Could not open file:" in stderr and "absent.wav" in stderr,
          "absent file: the message names it")
    broken = os.path.join(folder, "broken.wav")
    with open(broken, "wb") as f:
        f.write(b"RIFF\0\0\0\0WAVEfmt \x33\0\0\0")
    code, result, _ = sound(tool, broken, "--raw", broken + ".raw")
    check(code == 1 and result["code"] == -4 and not os.path.exists(broken + ".raw"),
          "format chunk over 50 bytes: -4 and nothing dumped")
    code, _, stderr = sound(tool)
    check(code == 2 and "usage" in stderr, "no file: usage")


if __name__ == "__main__":
    harness.run([sound_tool_reads_as_ffmpeg_and_names_formats])
