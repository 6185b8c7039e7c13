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
        if (z80ex_last_op_type(mCpu) == 0 && z80ex_get_reg(mCpu, regPC) == mBreakpoint)
            return Stop::Breakpoint;
        if (stopAtKeyboardRead && mKeyboardRead)
            return Stop::KeyboardRead;
    }
    return Stop::TimeOut;
}

namespace {

Z80_REG_T z80exRegister(CpcBench::Register which) {
    using R = CpcBench::Register;
    switch (which) {
    case R::AF: return regAF;
    case R::BC: return regBC;
    case R::DE: return regDE;
    case R::HL: return regHL;
    case R::IX: return regIX;
    case R::IY: return regIY;
    case R::SP: return regSP;
    case R::PC: return regPC;
    case R::AltAF: return regAF_;
    case R::AltBC: return regBC_;
    case R::AltDE: return regDE_;
    case R::AltHL: return regHL_;
    case R::IFF1: return regIFF1;
    }
    return regPC;
}

} // namespace

void CpcBench::setRegister(Register which, int value) {
    z80ex_set_reg(mCpu, z80exRegister(which), static_cast<Z80EX_WORD>(value));
    if (which == Register::IFF1) // EI sets both
        z80ex_set_reg(mCpu, regIFF2, static_cast<Z80EX_WORD>(value));
}

int CpcBench::registerValue(Register which) const {
    return z80ex_get_reg(mCpu, z80exRegister(which));
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

namespace {

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// A number as BASIC writes it: &1A00 in hexadecimal, 26 in decimal.
int basicNumber(const QString& text) {
    bool ok = false;
    const int value = text.startsWith('&') ? text.mid(1).toInt(&ok, 16) : text.toInt(&ok, 10);
    if (!ok)
        throw std::runtime_error("not a number: " + text.toStdString());
    return value;
}

constexpr int kFirmwareHimem = 0xA67B;   // HIMEM of a CPC with AMSDOS
constexpr int kLowestLoadHimem = 0x1172; // see the header
constexpr int kParameters = 0xBF80;      // where BASIC puts a CALL's parameters
constexpr int kMostStatementsBetweenCalls = 100000;
constexpr std::uint8_t kEndOfFile = 0x1A;

} // namespace

BasicRunner::BasicRunner(CpcBench& bench, const std::string& program,
                         const std::map<std::string, std::vector<std::uint8_t>>& files)
    : mBench(bench), mHimem(kFirmwareHimem) {
    for (const auto& [name, bytes] : files)
        mFiles[upperCase(name)] = &bytes;
    // Qt's expressions rather than std::regex, whose inlined automaton GCC 12
    // warns about under the sanitizers.
    static const QRegularExpression numbered(QStringLiteral("^\\s*(\\d+)\\s+(.*)$"));
    const std::string text = program.substr(0, program.find(static_cast<char>(kEndOfFile)));
    for (const QString& line : QString::fromStdString(text).split(QRegularExpression("[\r\n]+"), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = numbered.match(line);
        if (!match.hasMatch())
            throw std::runtime_error("a line without a number: " + line.toStdString());
        std::vector<std::string> statements;
        QString statement;
        bool quoted = false;
        for (const QChar c : match.captured(2)) {
            if (c == '"')
                quoted = !quoted;
            if (c == ':' && !quoted) {
                statements.push_back(statement.trimmed().toStdString());
                statement.clear();
            } else
                statement += c;
        }
        statements.push_back(statement.trimmed().toStdString());
        mLines.emplace_back(match.captured(1).toInt(), std::move(statements));
    }
}

void BasicRunner::load(const std::string& name, int address) {
    if (mHimem < kLowestLoadHimem)
        throw std::runtime_error("Memory full: no room for BASIC's file buffer below HIMEM");
    if (address <= mHimem)
        throw std::runtime_error("the loader loads " + name + " over BASIC's memory");
    const auto found = mFiles.find(upperCase(name));
    if (found == mFiles.end())
        throw std::runtime_error("the loader loads " + name + ", which is not there");
    std::span<const std::uint8_t> data(*found->second);
    if (Starts_With_Amsdos_Header(data)) {
        // Offsets 64-66 of the header: the file's length, low byte first.
        const std::size_t length = data[64] | data[65] << 8 | data[66] << 16;
        data = data.subspan(kAmsdosHeaderBytes, std::min(length, data.size() - kAmsdosHeaderBytes));
    }
    mBench.load(address, data);
}

bool BasicRunner::runToCall() {
    static const QRegularExpression memory(QStringLiteral("^MEMORY\\s*(&?[0-9A-F]+)$"));
    static const QRegularExpression loadFile(QStringLiteral("^LOAD\\s*\"([^\"]+)\"\\s*,\\s*(&?[0-9A-F]+)$"));
    static const QRegularExpression call(QStringLiteral("^CALL\\s*(&?[0-9A-F]+)((\\s*,\\s*&?[0-9A-F]+)*)$"));
    static const QRegularExpression goTo(QStringLiteral("^GOTO\\s*(\\d+)$"));
    static const QRegularExpression firmware(QStringLiteral("^(MODE|INK|BORDER)\\b"));
    for (int count = 0; count < kMostStatementsBetweenCalls; ++count) {
        if (mLine < mLines.size() && mStatement >= mLines[mLine].second.size()) {
            ++mLine;
            mStatement = 0;
        }
        if (mLine >= mLines.size())
            return false;
        const QString statement = QString::fromStdString(mLines[mLine].second[mStatement++]);
        if (const QRegularExpressionMatch m = memory.match(statement); m.hasMatch())
            mHimem = basicNumber(m.captured(1));
        else if (const QRegularExpressionMatch m = loadFile.match(statement); m.hasMatch())
            load(m.captured(1).toStdString(), basicNumber(m.captured(2)));
        else if (const QRegularExpressionMatch m = goTo.match(statement); m.hasMatch()) {
            const int target = m.captured(1).toInt();
            const auto line = std::find_if(mLines.begin(), mLines.end(), [&](const auto& l) { return l.first == target; });
            if (line == mLines.end())
                throw std::runtime_error("Line does not exist: " + std::to_string(target));
            mLine = static_cast<std::size_t>(line - mLines.begin());
            mStatement = 0;
        } else if (const QRegularExpressionMatch m = call.match(statement); m.hasMatch()) {
            QStringList parameters = m.captured(2).split(',', Qt::SkipEmptyParts);
            using R = CpcBench::Register;
            for (int k = 0; k < parameters.size(); ++k) {
                const int value = basicNumber(parameters[k].trimmed());
                const int at = kParameters + 2 * (static_cast<int>(parameters.size()) - 1 - k);
                const std::uint8_t word[2] = {static_cast<std::uint8_t>(value & 0xFF),
                                              static_cast<std::uint8_t>(value >> 8 & 0xFF)};
                mBench.load(at, word);
            }
            const int gateArray = 0x80 | (mBench.upperRom() ? 0 : 8) | (mBench.lowerRom() ? 0 : 4) | mBench.mode();
            mBench.setRegister(R::AltBC, 0x7F00 | gateArray);
            mBench.setRegister(R::IFF1, 1);
            mBench.setRegister(R::AF, static_cast<int>(parameters.size()) << 8);
            mBench.setRegister(R::IX, kParameters);
            const std::uint8_t back[2] = {BasicRunner::kReturnAddress & 0xFF, BasicRunner::kReturnAddress >> 8};
            mBench.load(kStackPointer - 2, back);
            mBench.setRegister(R::SP, kStackPointer - 2);
            mBench.setBreakpoint(kReturnAddress);
            mBench.jumpTo(basicNumber(m.captured(1)));
            return true;
        } else if (!firmware.match(statement).hasMatch())
            throw std::runtime_error("the bench does not run BASIC's " + statement.toStdString());
    }
    throw std::runtime_error("the program loops without a CALL");
}

void Run_Basic_Loader(CpcBench& bench, const std::string& loader,
                      const std::map<std::string, std::vector<std::uint8_t>>& files) {
    BasicRunner runner(bench, loader, files);
    if (!runner.runToCall())
        throw std::runtime_error("the loader has no CALL");
}
