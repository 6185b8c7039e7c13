#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

struct _z80_cpu_context;

// A small model of a CPC around a Z80 (libz80ex), for running the program's
// machine code in tests and asserting on what the real machine would see.
//
// What it models:
// - 64 KB of RAM. The ROMs hold nothing: with a ROM switched in, its area
//   reads as 0 (writes always go to the RAM below, as on the CPC).
// - The I/O ports decoded as the CPC decodes them, by address lines only, so
//   one OUT may reach several chips as on the real machine:
//     gate array when A15 = 0 and A14 = 1 (&7Fxx): bits 7-6 of the byte say
//       00 select pen (bit 4: the border), 01 colour of the pen (bits 4-0,
//       hardware colour), 10 mode (bits 1-0) and ROMs (bit 2 lower ROM off,
//       bit 3 upper ROM off), 11 RAM configuration;
//     CRTC when A14 = 0, A9-A8 saying 00 select register (&BCxx), 01 write
//       it (&BDxx);
//     PPI when A11 = 0, A9-A8 port A (&F4xx), B (&F5xx), C (&F6xx) or
//       control (&F7xx). Port A carries the PSG's data, port C bits 7-6 its
//       function (11 select register, 10 write, 01 read, 00 inactive) and
//       bits 3-0 the keyboard line; control bytes with bit 7 set choose the
//       ports' directions (bit 4: port A in), others set or clear one bit of
//       port C. Reading port A while the PSG reads its register 14 gives the
//       keyboard line's byte: a 0 bit for each key held down.
// - Every port write, recorded with the T-state it happened at.
// - The machine's reset: an opcode fetched from address 0 while the lower
//   ROM is switched in, which starts the firmware afresh (RST 0 or JP 0 after
//   switching it in). The run stops there.
// - What the 6128 Plus's ASIC adds, as far as showing a picture needs:
//     its lock, which the published sequence of bytes sent to the CRTC's
//     select port opens (a non-zero byte and a zero byte to get in step,
//     &FF &77 &B3 &51 &A8 &D4 &62 &39 &9C &46 &2B &15 &8A, then &CD; another
//     byte in &CD's place locks it again);
//     while it is unlocked, RMR2: a gate array byte &A0-&BF (function 2 with
//     bit 5 set) is no mode and ROM byte but pages the ASIC's registers in at
//     &4000-&7FFF when bits 4-3 are 11, and out otherwise (the lower ROM's
//     own place, bits 4-3 and 2-0, is not modelled: it stays at &0000);
//     while the page is in, &4000-&7FFF reads and writes the 16 KB register
//     page, kept apart from the RAM below it, and each write is recorded.
//   A CPC without the ASIC is the bench with the sequence never sent.
// - Not modelled: interrupts (none are raised), the CPC's wait states (the
//   count is the Z80's own T-states), sound, discs, the 6128's extra RAM, the
//   ASIC's sprites, DMA and the meaning of its registers.
//
// The machine starts as BASIC leaves it at a CALL: mode 1, lower ROM off,
// upper ROM on, every key up.
class CpcBench {
  public:
    struct PortWrite {
        std::uint16_t port;
        std::uint8_t value;
        std::uint64_t tState;
    };
    struct AsicWrite {
        std::uint16_t address; // &4000-&7FFF
        std::uint8_t value;
        std::uint64_t tState;
    };
    enum class Stop {
        Reset,        // the machine reset (see above)
        KeyboardRead, // the keyboard was read, when asked to stop there
        TimeOut,      // the T-state bound was reached
        Breakpoint,   // the Z80 is about to run the opcode at the breakpoint
    };
    // The Z80's registers; the Alt ones are the alternate set, IFF1 the
    // interrupts' enable (1: enabled).
    enum class Register { AF, BC, DE, HL, IX, IY, SP, PC, AltAF, AltBC, AltDE, AltHL, IFF1 };
    static constexpr int kPensAndBorder = 17; // pens 0..15, then the border
    static constexpr int kCrtcRegisters = 18;
    static constexpr int kKeyboardLines = 10;
    static constexpr int kUnset = -1;

    CpcBench();
    ~CpcBench();
    CpcBench(const CpcBench&) = delete;
    CpcBench& operator=(const CpcBench&) = delete;

    // Puts bytes into RAM from address on (wrapping past &FFFF).
    void load(int address, std::span<const std::uint8_t> bytes);
    // Where the Z80 goes on.
    void jumpTo(int address);
    // Runs until the machine resets, the T-state count reaches maxTStates
    // (counted from the bench's start), or with stopAtKeyboardRead the
    // keyboard is read.
    Stop run(std::uint64_t maxTStates, bool stopAtKeyboardRead = false);

    void setRegister(Register which, int value);
    int registerValue(Register which) const;
    // Where run() stops with Stop::Breakpoint (kUnset: nowhere).
    void setBreakpoint(int address) { mBreakpoint = address; }

    // Holds down (or lets go) the key at bit (0..7) of keyboard line (0..9).
    void setKey(int line, int bit, bool down);

    const std::array<std::uint8_t, 0x10000>& memory() const { return mMemory; }
    const std::vector<PortWrite>& portWrites() const { return mWrites; }
    std::uint64_t tStates() const { return mTStates; }
    // The hardware colour (0..31) last given to each pen and the border, or kUnset.
    const std::array<int, kPensAndBorder>& colours() const { return mColours; }
    int mode() const { return mMode; }
    bool lowerRom() const { return mLowerRom; }
    bool upperRom() const { return mUpperRom; }
    // The value last written to each CRTC register, or kUnset.
    const std::array<int, kCrtcRegisters>& crtc() const { return mCrtc; }
    // T-state of the first keyboard read, or 0 when there was none.
    std::uint64_t firstKeyboardRead() const { return mFirstKeyboardRead; }

    // The ASIC: whether it is unlocked now, and the T-state it was last
    // unlocked at (0: never).
    bool asicUnlocked() const { return mAsicUnlocked; }
    std::uint64_t asicUnlockedAt() const { return mAsicUnlockedAt; }
    // Every byte sent to the CRTC's select port (&BCxx), in order.
    const std::vector<std::uint8_t>& crtcSelectBytes() const { return mCrtcSelectBytes; }
    // Every RMR2 byte the gate array took (while the ASIC was unlocked), with
    // its T-state, and whether the register page is in now.
    const std::vector<PortWrite>& rmr2Writes() const { return mRmr2Writes; }
    bool registerPageIn() const { return mRegisterPageIn; }
    // The register page (its byte for &4000 first) and every write into it.
    const std::array<std::uint8_t, 0x4000>& registerPage() const { return mRegisterPage; }
    const std::vector<AsicWrite>& asicWrites() const { return mAsicWrites; }

  private:
    static std::uint8_t readMemory(_z80_cpu_context*, std::uint16_t address, int m1, void* bench);
    static void writeMemory(_z80_cpu_context*, std::uint16_t address, std::uint8_t value,
                            void* bench);
    static std::uint8_t readPort(_z80_cpu_context*, std::uint16_t port, void* bench);
    static void writePort(_z80_cpu_context*, std::uint16_t port, std::uint8_t value, void* bench);
    static std::uint8_t interruptVector(_z80_cpu_context*, void* bench);
    void gateArray(std::uint8_t value);
    void psgFunction();
    void asicLock(std::uint8_t value);
    bool inRegisterPage(std::uint16_t address) const;

    _z80_cpu_context* mCpu = nullptr;
    std::array<std::uint8_t, 0x10000> mMemory{};
    std::vector<PortWrite> mWrites;
    std::uint64_t mTStates = 0;
    std::array<int, kPensAndBorder> mColours;
    std::array<int, kCrtcRegisters> mCrtc;
    int mPen = 0;
    int mMode = 1;
    bool mLowerRom = false;
    bool mUpperRom = true;
    int mCrtcSelected = 0;
    std::uint8_t mPortA = 0, mPortC = 0;
    bool mPortAInput = false;
    int mPsgRegister = 0;
    std::array<std::uint8_t, kKeyboardLines> mKeys;
    bool mAsicUnlocked = false;
    std::uint64_t mAsicUnlockedAt = 0;
    int mLockStep = 0; // bytes of the sequence seen in step (see asicLock)
    std::vector<std::uint8_t> mCrtcSelectBytes;
    std::vector<PortWrite> mRmr2Writes;
    bool mRegisterPageIn = false;
    std::array<std::uint8_t, 0x4000> mRegisterPage{};
    std::vector<AsicWrite> mAsicWrites;
    bool mReset = false;
    int mBreakpoint = kUnset;
    bool mKeyboardRead = false;
    std::uint64_t mFirstKeyboardRead = 0;
};

// Runs a BASIC program as far as the bench needs, statement by statement
// from its first line: MEMORY &ADDRESS sets HIMEM; LOAD"NAME",&ADDRESS puts
// the file NAME of files (names compared without case; its AMSDOS header, if
// any, left out and only its stated length loaded) at ADDRESS; GOTO LINE goes
// on there; MODE, INK and BORDER set the firmware's own state, which the bench
// does not model, and are passed over. CALL &ADDRESS[,P...] is set up as
// BASIC makes it: the firmware's gate array byte (the ROMs and mode the bench
// has) in C' with B' = &7F, interrupts enabled, A = the count of parameters,
// IX = where they lie, the last one first, a word each; the Z80 goes to
// ADDRESS with the return into BASIC on the stack, where the bench stops with
// Stop::Breakpoint. Raises std::runtime_error where BASIC would stop: a LOAD
// at or below HIMEM (over BASIC's own memory), or with HIMEM below &1172,
// where BASIC's first LOAD finds no room for its 4 KB file buffer below HIMEM
// and says "Memory full" (a short loader's lowest load address with MEMORY is
// &1173); a file that is not there, a line that is not, a statement the bench
// does not run; or a loop that never CALLs.
class BasicRunner {
  public:
    // Where a CALLed routine returns into BASIC (in its ROM), and BASIC's
    // stack pointer before the CALL.
    static constexpr int kReturnAddress = 0xC0DE;
    static constexpr int kStackPointer = 0xBF70;

    BasicRunner(CpcBench& bench, const std::string& program,
                const std::map<std::string, std::vector<std::uint8_t>>& files);
    // Runs statements from where the program stands until a CALL, which it
    // sets up (true), or the program's end (false). After a routine has
    // returned, the next call goes on after its CALL.
    bool runToCall();

  private:
    void load(const std::string& name, int address);

    CpcBench& mBench;
    std::map<std::string, const std::vector<std::uint8_t>*> mFiles; // by upper-case name
    std::vector<std::pair<int, std::vector<std::string>>> mLines;   // line number, statements
    std::size_t mLine = 0, mStatement = 0;
    int mHimem;
};

// RUN as far as the first CALL of the program loader (see BasicRunner).
// Raises std::runtime_error also when it has no CALL.
void Run_Basic_Loader(CpcBench& bench, const std::string& loader,
                      const std::map<std::string, std::vector<std::uint8_t>>& files);
