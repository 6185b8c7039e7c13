#include "CpcBench.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include <QRegularExpression>
#include <QString>
#include <z80ex/z80ex.h>

#include "AmsdosHeader.h"

namespace {

constexpr std::uint16_t kLowerRomEnd = 0x4000;
constexpr std::uint16_t kUpperRomStart = 0xC000;

// Gate array: bits 7-6 of its byte are the command.
constexpr int kSelectPen = 0, kSetColour = 1, kModeAndRoms = 2;
constexpr std::uint8_t kBorderBit = 0x10;
constexpr std::uint8_t kLowerRomOffBit = 0x04, kUpperRomOffBit = 0x08;
// Gate array function 2 with bit 5 set is RMR2 while the ASIC is unlocked;
// bits 4-3 = 11 page the register page in at &4000.
constexpr std::uint8_t kRmr2Bit = 0x20, kRmr2PlaceBits = 0x18;
constexpr std::uint16_t kRegisterPageStart = 0x4000, kRegisterPageEnd = 0x8000;
// The ASIC's lock: after a non-zero byte and a zero byte, these bytes, then
// kUnlockByte unlocks it and any other byte locks it.
constexpr std::array<std::uint8_t, 13> kLockSequence = {0xFF, 0x77, 0xB3, 0x51, 0xA8, 0xD4, 0x62,
                                                        0x39, 0x9C, 0x46, 0x2B, 0x15, 0x8A};
constexpr std::uint8_t kUnlockByte = 0xCD;
// PSG functions on port C bits 7-6 (BDIR, BC1).
constexpr int kPsgRead = 1, kPsgSelect = 3;
constexpr int kKeyboardRegister = 14;

bool isGateArray(std::uint16_t port) {
    return (port & 0xC000) == 0x4000;
}
bool isCrtc(std::uint16_t port) {
    return (port & 0x4000) == 0;
}
bool isPpi(std::uint16_t port) {
    return (port & 0x0800) == 0;
}
int function(std::uint16_t port) {
    return port >> 8 & 3;
} // A9-A8

} // namespace

CpcBench::CpcBench() {
    mColours.fill(kUnset);
    mCrtc.fill(kUnset);
    mKeys.fill(0xFF);
    mCpu = z80ex_create(readMemory, this, writeMemory, this, readPort, this, writePort, this,
                        interruptVector, this);
}

CpcBench::~CpcBench() {
    z80ex_destroy(mCpu);
}

void CpcBench::load(int address, std::span<const std::uint8_t> bytes) {
    for (std::size_t k = 0; k < bytes.size(); ++k)
        mMemory[(static_cast<std::size_t>(address) + k) & 0xFFFF] = bytes[k];
}

void CpcBench::jumpTo(int address) {
    z80ex_set_reg(mCpu, regPC, static_cast<Z80EX_WORD>(address));
}

CpcBench::Stop CpcBench::run(std::uint64_t maxTStates, bool stopAtKeyboardRead) {
    mKeyboardRead = false;
    while (mTStates < maxTStates) {
        mTStates += static_cast<std::uint64_t>(z80ex_step(mCpu));
        // The next opcode comes from the lower ROM's first byte: the reset.
        if (z80ex_last_op_type(mCpu) == 0 && z80ex_get_reg(mCpu, regPC) == 0 && mLowerRom)
            mReset = true;
        if (mReset)
            return Stop::Reset;
        if (stopAtKeyboardRead && mKeyboardRead)
            return Stop::KeyboardRead;
    }
    return Stop::TimeOut;
}

void CpcBench::setKey(int line, int bit, bool down) {
    std::uint8_t& keys = mKeys.at(static_cast<std::size_t>(line));
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    keys = down ? static_cast<std::uint8_t>(keys & ~mask) : static_cast<std::uint8_t>(keys | mask);
}

std::uint8_t CpcBench::readMemory(_z80_cpu_context*, std::uint16_t address, int, void* data) {
    const auto& bench = *static_cast<CpcBench*>(data);
    if (bench.inRegisterPage(address))
        return bench.mRegisterPage[address - kRegisterPageStart];
    if ((bench.mLowerRom && address < kLowerRomEnd) ||
        (bench.mUpperRom && address >= kUpperRomStart))
        return 0;
    return bench.mMemory[address];
}

void CpcBench::writeMemory(_z80_cpu_context*, std::uint16_t address, std::uint8_t value,
                           void* data) {
    auto& bench = *static_cast<CpcBench*>(data);
    if (bench.inRegisterPage(address)) {
        bench.mRegisterPage[address - kRegisterPageStart] = value;
        bench.mAsicWrites.push_back(
            {address, value,
             bench.mTStates + static_cast<std::uint64_t>(z80ex_op_tstate(bench.mCpu))});
        return;
    }
    bench.mMemory[address] = value;
}

bool CpcBench::inRegisterPage(std::uint16_t address) const {
    return mRegisterPageIn && address >= kRegisterPageStart && address < kRegisterPageEnd;
}

std::uint8_t CpcBench::readPort(_z80_cpu_context*, std::uint16_t port, void* data) {
    auto& bench = *static_cast<CpcBench*>(data);
    if (isPpi(port) && function(port) == 0 && bench.mPortAInput && bench.mPortC >> 6 == kPsgRead &&
        bench.mPsgRegister == kKeyboardRegister) {
        if (!bench.mKeyboardRead && bench.mFirstKeyboardRead == 0)
            bench.mFirstKeyboardRead =
                bench.mTStates + static_cast<std::uint64_t>(z80ex_op_tstate(bench.mCpu));
        bench.mKeyboardRead = true;
        const int line = bench.mPortC & 0x0F;
        return line < kKeyboardLines ? bench.mKeys[static_cast<std::size_t>(line)] : 0xFF;
    }
    return 0xFF;
}

void CpcBench::writePort(_z80_cpu_context*, std::uint16_t port, std::uint8_t value, void* data) {
    auto& bench = *static_cast<CpcBench*>(data);
    bench.mWrites.push_back(
        {port, value, bench.mTStates + static_cast<std::uint64_t>(z80ex_op_tstate(bench.mCpu))});
    if (isGateArray(port)) {
        if (bench.mAsicUnlocked && value >> 6 == kModeAndRoms && (value & kRmr2Bit)) {
            bench.mRmr2Writes.push_back(bench.mWrites.back());
            bench.mRegisterPageIn = (value & kRmr2PlaceBits) == kRmr2PlaceBits;
        } else
            bench.gateArray(value);
    }
    if (isCrtc(port)) {
        if (function(port) == 0) {
            bench.mCrtcSelected = value & 0x1F;
            bench.mCrtcSelectBytes.push_back(value);
            bench.asicLock(value);
        } else if (function(port) == 1 && bench.mCrtcSelected < kCrtcRegisters)
            bench.mCrtc[static_cast<std::size_t>(bench.mCrtcSelected)] = value;
    }
    if (isPpi(port)) {
        switch (function(port)) {
        case 0:
            bench.mPortA = value;
            break;
        case 2:
            bench.mPortC = value;
            bench.psgFunction();
            break;
        case 3:
            if (value & 0x80)
                bench.mPortAInput = (value & 0x10) != 0;
            else { // bits 3-1: which bit of port C, bit 0: its new value
                const auto bit = static_cast<std::uint8_t>(1u << (value >> 1 & 7));
                bench.mPortC = value & 1 ? static_cast<std::uint8_t>(bench.mPortC | bit)
                                         : static_cast<std::uint8_t>(bench.mPortC & ~bit);
                bench.psgFunction();
            }
            break;
        default: // port B is read only
            break;
        }
    }
}

std::uint8_t CpcBench::interruptVector(_z80_cpu_context*, void*) {
    return 0xFF;
}

void CpcBench::gateArray(std::uint8_t value) {
    switch (value >> 6) {
    case kSelectPen:
        mPen = value & kBorderBit ? kPensAndBorder - 1 : value & 0x0F;
        break;
    case kSetColour:
        mColours[static_cast<std::size_t>(mPen)] = value & 0x1F;
        break;
    case kModeAndRoms:
        mMode = value & 3;
        mLowerRom = (value & kLowerRomOffBit) == 0;
        mUpperRom = (value & kUpperRomOffBit) == 0;
        break;
    default: // RAM configuration: the bench has 64 KB only
        break;
    }
}

// mLockStep: 0 waits for a non-zero byte, 1 for a zero byte, 2 + k for byte
// k of the sequence, and past the sequence for the byte that unlocks or locks.
void CpcBench::asicLock(std::uint8_t value) {
    const int k = mLockStep - 2;
    if (mLockStep == 0)
        mLockStep = value != 0 ? 1 : 0;
    else if (mLockStep == 1)
        mLockStep = value == 0 ? 2 : 1;
    else if (k < static_cast<int>(kLockSequence.size()) &&
             value == kLockSequence[static_cast<std::size_t>(k)])
        ++mLockStep;
    else if (k == static_cast<int>(kLockSequence.size())) {
        mAsicUnlocked = value == kUnlockByte;
        if (mAsicUnlocked)
            mAsicUnlockedAt = mWrites.back().tState;
        mLockStep = value != 0 ? 1 : 0;
    } else if (value != 0) // out of step: start again from this byte
        mLockStep = 1;
    else // a zero after a non-zero byte is in step, after a zero it is not
        mLockStep = mLockStep == 2 ? 0 : 2;
}

void CpcBench::psgFunction() {
    if (mPortC >> 6 == kPsgSelect && !mPortAInput)
        mPsgRegister = mPortA & 0x0F;
}

void Run_Basic_Loader(CpcBench& bench, const std::string& loader,
                      const std::map<std::string, std::vector<std::uint8_t>>& files) {
    const auto upper = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return std::toupper(c); });
        return text;
    };
    std::map<std::string, const std::vector<std::uint8_t>*> byName;
    for (const auto& [name, bytes] : files)
        byName[upper(name)] = &bytes;

    constexpr int kFirmwareHimem = 0xA67B;   // HIMEM of a CPC with AMSDOS
    constexpr int kLowestLoadHimem = 0x1172; // see above
    int himem = kFirmwareHimem;
    // Qt's expressions rather than std::regex, whose inlined automaton GCC 12
    // warns about under the sanitizers.
    const QString text = QString::fromStdString(loader);
    static const QRegularExpression statement(QStringLiteral("MEMORY &([0-9A-F]+)|LOAD\"([^\"]+)\",&([0-9A-F]+)"));
    for (QRegularExpressionMatchIterator at = statement.globalMatch(text); at.hasNext();) {
        const QRegularExpressionMatch match = at.next();
        if (match.hasCaptured(1)) {
            himem = match.captured(1).toInt(nullptr, 16);
            continue;
        }
        const int address = match.captured(3).toInt(nullptr, 16);
        const std::string name = match.captured(2).toStdString();
        if (himem < kLowestLoadHimem)
            throw std::runtime_error("Memory full: no room for BASIC's file buffer below HIMEM");
        if (address <= himem)
            throw std::runtime_error("the loader loads " + name + " over BASIC's memory");
        const auto found = byName.find(upper(name));
        if (found == byName.end())
            throw std::runtime_error("the loader loads " + name + ", which is not there");
        std::span<const std::uint8_t> data(*found->second);
        if (Starts_With_Amsdos_Header(data)) {
            // Offsets 64-66 of the header: the file's length, low byte first.
            const std::size_t length = data[64] | data[65] << 8 | data[66] << 16;
            data = data.subspan(kAmsdosHeaderBytes,
                                std::min(length, data.size() - kAmsdosHeaderBytes));
        }
        bench.load(address, data);
    }
    static const QRegularExpression callStatement(QStringLiteral("CALL &([0-9A-F]+)"));
    const QRegularExpressionMatch call = callStatement.match(text);
    if (!call.hasMatch())
        throw std::runtime_error("the loader has no CALL");
    bench.jumpTo(call.captured(1).toInt(nullptr, 16));
}
