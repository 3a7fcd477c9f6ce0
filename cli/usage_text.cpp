#include "cli/usage_text.h"

namespace cli {

const char* UsageText() {
    return R"(Usage: promtool [--sim TYPE[:CHIPFILE]] [--direct] [--port ADDRESS [--raw]] COMMAND ...

  devices         list the PROM types, one a line
  ports           list the machine's parallel ports: device, base address, the driver that
                  holds it (another holder makes the station's exclusive claim fail) and
                  whether this user may open it

Commands on the PROM in the programmer (each checks the programmer and identifies the PROM first):
  identify        show the PROM's type, size, word size, option bits and codes
  blank           blank check; exit status 1 when the PROM is not blank
  read FILE       read the PROM into FILE
  program FILE [--reset high|low] [--busy floating|pulldown] [--output serial|parallel]
                  program the PROM from FILE and the option bits asked for (busy and output on
                  XC17V16, XC17V08 and the X/EL types only; bits not asked for stay unprogrammed),
                  then verify it
  verify FILE     compare the PROM with FILE
  produce IMAGE [--device NAME] [--reset ...] [--busy ...] [--output ...] [--log FILE.csv] [--count N]
                  a production run: for each part, asks for it (Enter; q or the end of the input
                  stops), identifies it, refuses a type other than NAME or the first part's,
                  blank checks it (a part that already holds IMAGE and these option bits passes
                  as it is; any other that is not blank fails), programs and verifies it. One
                  line per part, a summary at the end; --log appends a CSV row per part, --count
                  stops after N parts. With --sim each part is a fresh blank one, no operator
                  asked, and --count is needed. Exit status 0 only when every part passed.

Commands on files (the buffer is 0xFF before the file is loaded):
  convert IN OUT (--device NAME | --size BYTES)        load IN, save it as OUT, show the checksum
  checksum FILE (--device NAME | --size BYTES)         show the buffer's checksum
  dump FILE (--device NAME | --size BYTES) [--from OFFSET]
                  show the buffer in lines of 16 bytes, from the line holding OFFSET

File formats, chosen by the last three letters of the name: mcs and hex (Intel Hex),
exo (Motorola S-record), bin (binary).

Scripting:
  --json                 devices, ports, identify, blank, read, verify, program and checksum
                         print one JSON object on standard output instead of their texts, on
                         failure too, with the same exit status (keys: see the README)
  -                      as a file name: standard input for a file that is read (program,
                         verify, checksum, dump, convert IN), standard output for one that is
                         written (read, convert OUT), with --format mcs|hex|exo|bin; the texts
                         that would go to standard output then go to standard error

Programmer:
  --sim TYPE[:CHIPFILE]  a simulated programmer holding a TYPE PROM. CHIPFILE keeps that PROM
                         between runs: created blank when missing, written back after the run.
  --direct               direct mode: the simulated port's registers are driven directly
                         (simulator only). Without it every access goes through the port driver.
  --port ADDRESS         the parallel port's base address: 0x378 (default), 0x278, 0x3BC, or
                         any other port the machine has (a PCI Express card's, such as 0xD010;
                         see 'promtool ports'). Without --sim this is real hardware through the
                         port driver over Linux ppdev (/dev/parportN), claimed exclusively.
  --raw                  real hardware in direct mode: the port's registers are driven with the
                         processor's port instructions, no system call per access (root or the
                         CAP_SYS_RAWIO capability; refused elsewhere).
  --fault FAULT[@N]      with --sim: a programmer fault from the start, or after N register
                         accesses: absent, flat-battery, no-pulse, endless-pulse, pulled (the
                         PROM is taken out of the socket), or port-lost (the PC's port stops
                         answering).

Ctrl-C stops a part command at its next word or chunk with the socket powered off; a second
Ctrl-C ends promtool at once. Programming first reads the PROM and refuses a buffer that would
need a programmed bit back (bits only go from 1 to 0), before any pulse.

--help shows this text, --version the version.

Numbers may be decimal or hexadecimal with 0x.

Exit status: 0 success, 1 the operation failed, 2 usage error,
3 done, but a file loaded with a warning (convert, checksum, dump),
130 (143) stopped by Ctrl-C (SIGTERM).
)";
}

}  // namespace cli
