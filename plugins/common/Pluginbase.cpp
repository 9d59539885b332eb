#include "plugins/common/Pluginbase.h"

#include "platform/os/ErrorText.h"
#include "plugins/common/Bytecursor.h"
#include "plugins/common/Filesource.h"
#include "plugins/common/Signatureset.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

constexpr std::size_t copyBlockSize = 256 * 1024;

// Why a write failed, for a user who must decide what to do about it: in the program's words.
std::string writeFailureReason(int error)
{
    return os::errorText(error, os::ErrorUse::writing);
}

bool hostGivesSizeWindow(const ExtractHost* host)
{
    return host != nullptr &&
           host->size >= offsetof(ExtractHost, getExtractSizeWindow) + sizeof host->getExtractSizeWindow &&
           host->getExtractSizeWindow != nullptr;
}

}

PluginBase::PluginBase(const Identity& identity) : identity(identity)
{
}

PluginBase::~PluginBase() = default;

const char* PluginBase::getID()
{
    return identity.id;
}

const char* PluginBase::getName()
{
    return identity.name;
}

const char* PluginBase::getVersion()
{
    return "1.0";
}

const char* PluginBase::getVendor()
{
    return "glintfetch";
}

const char* PluginBase::getKind()
{
    return identity.kind;
}

unsigned PluginBase::getWindowSize()
{
    return identity.windowSize;
}

unsigned PluginBase::extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                             const char* outputPath)
{
    Attempt attempt;
    attempt.inputPath = inputPath;
    attempt.offset = std::uint64_t{offsetHigh} << 32 | offsetLow;
    attempt.outputPath = outputPath;
    attempt.host = host;
    const unsigned result = attemptExtract(attempt, false);
    lastFailure = attempt.failure;
    failureMessage = std::move(attempt.message);
    return result;
}

unsigned PluginBase::attemptExtract(Attempt& attempt, bool concurrent)
{
    // Nothing may leave a plug-in call, whatever the input holds.
    try {
        if (attempt.inputPath == nullptr || attempt.outputPath == nullptr) {
            return 0;
        }
        return extractFrom(attempt, concurrent);
    } catch (const std::bad_alloc&) {
        attempt.failure = EXTRACT_OUTPUT_FAILED;
        attempt.message = std::string("出力ファイル「") + attempt.outputPath + "」を書き込めません：メモリが足りません。";
        std::remove(attempt.outputPath);
        return 0;
    } catch (...) {
        attempt.failure = EXTRACT_NOTHING_FOUND;
        attempt.message.clear();
        std::remove(attempt.outputPath);
        return 0;
    }
}

unsigned PluginBase::extractFrom(Attempt& attempt, bool concurrent)
{
    std::uint64_t minimum = 0;
    std::uint64_t maximum = 0;
    sizeWindow(attempt.host, minimum, maximum);
    FileSource input(attempt.inputPath, attempt.host);
    if (!input.isOpen()) {
        attempt.failure = EXTRACT_INPUT_FAILED;
        attempt.message = std::string("入力ファイル「") + attempt.inputPath + "」を開けません。";
        return 0;
    }
    std::uint64_t length = 0;
    {
        ByteCursor cursor(input, attempt.offset, maximum);
        length = concurrent ? measureCall(cursor, attempt) : measure(cursor);
    }
    if (input.wasCancelled()) {
        attempt.failure = EXTRACT_CANCELLED;
        attempt.message = "抽出はキャンセルされました。";
        return 0;
    }
    if (length == 0 && input.hadReadError()) {
        attempt.failure = EXTRACT_INPUT_FAILED;
        attempt.message = std::string("入力ファイル「") + attempt.inputPath + "」の " +
                          std::to_string(attempt.offset) + " バイト目からを読み込めません。";
        return 0;
    }
    if (length == 0 || length < minimum || length > maximum) {
        return 0;
    }
    if (!copy(input, attempt, length)) {
        return 0;
    }
    return length > std::numeric_limits<unsigned>::max() ? std::numeric_limits<unsigned>::max()
                                                        : static_cast<unsigned>(length);
}

bool PluginBase::copy(FileSource& input, Attempt& attempt, std::uint64_t length)
{
    const char* outputPath = attempt.outputPath;
    const std::uint64_t offset = attempt.offset;
    std::vector<unsigned char> block(static_cast<std::size_t>(std::min<std::uint64_t>(length, copyBlockSize)));
    std::FILE* output = std::fopen(outputPath, "wb");
    if (output == nullptr) {
        attempt.failure = EXTRACT_OUTPUT_FAILED;
        attempt.message = std::string("出力ファイル「") + outputPath + "」を書き込めません：" +
                          writeFailureReason(errno) + "。";
        return false;
    }
    std::uint64_t done = 0;
    while (done < length) {
        std::uint64_t left = length - done;
        std::size_t wanted = left < block.size() ? static_cast<std::size_t>(left) : block.size();
        if (input.readAt(offset + done, block.data(), wanted) != wanted) {
            break;
        }
        errno = 0;
        if (std::fwrite(block.data(), 1, wanted, output) != wanted) {
            int error = errno;
            std::fclose(output);
            std::remove(outputPath);
            attempt.failure = EXTRACT_OUTPUT_FAILED;
            attempt.message = std::string("出力ファイル「") + outputPath + "」を書き込めません：" +
                              writeFailureReason(error) + "。";
            return false;
        }
        done += wanted;
    }
    errno = 0;
    // The last buffered bytes reach the disk only here; a full disk often shows only now.
    int closed = std::fclose(output);
    int closeError = errno;
    if (done == length && closed == 0) {
        return true;
    }
    std::remove(outputPath);
    if (input.wasCancelled()) {
        attempt.failure = EXTRACT_CANCELLED;
        attempt.message = "抽出はキャンセルされました。";
    } else if (done < length) {
        attempt.failure = EXTRACT_INPUT_FAILED;
        attempt.message = std::string("入力ファイル「") + attempt.inputPath + "」の " +
                          std::to_string(offset + done) + " バイト目からを読み込めません。";
    } else {
        attempt.failure = EXTRACT_OUTPUT_FAILED;
        attempt.message = std::string("出力ファイル「") + outputPath + "」を書き込めません：" +
                          writeFailureReason(closeError) + "。";
    }
    return false;
}

void PluginBase::sizeWindow(std::uint64_t& minimum, std::uint64_t& maximum) const
{
    sizeWindow(host, minimum, maximum);
}

int PluginBase::failure() const
{
    return lastFailure;
}

void PluginBase::sizeWindow(const ExtractHost* from, std::uint64_t& minimum, std::uint64_t& maximum) const
{
    minimum = 0;
    maximum = std::numeric_limits<std::uint64_t>::max();
    if (hostGivesSizeWindow(from)) {
        from->getExtractSizeWindow(from->context, &minimum, &maximum);
        return;
    }
    if (config != nullptr) {
        int low = config->getMinExtractSize();
        int high = config->getMaxExtractSize();
        if (low > 0) {
            minimum = static_cast<std::uint64_t>(low);
        }
        if (high >= 0) {
            maximum = static_cast<std::uint64_t>(high);
        }
    }
}

std::uint64_t PluginBase::measureCall(ByteCursor& input, Attempt&)
{
    return measure(input);
}

PluginBase::Settled PluginBase::settle(const ExtractCall&, unsigned, CallNote*)
{
    return Settled::stands;
}

const SignatureSet* PluginBase::signatures()
{
    return nullptr;
}

bool PluginBase::hasProperty()
{
    return false;
}

void PluginBase::showProperty(void*)
{
}

bool PluginBase::isEnabled()
{
    return enabled;
}

void PluginBase::setEnabled(bool enabled)
{
    this->enabled = enabled;
    writeProperty(enabledKey, enabled ? "true" : "false");
}

void PluginBase::setConfig(IExtractConfig* config)
{
    this->config = config;
    enabled = readProperty(enabledKey) != "false";
}

std::string PluginBase::readProperty(const char* key) const
{
    if (config == nullptr) {
        return std::string();
    }
    int length = config->getPropertyLength(key, identity.id);
    if (length <= 0) {
        return std::string();
    }
    std::string buffer(static_cast<std::size_t>(length), '\0');
    config->getProperty(key, &buffer[0], identity.id);
    return std::string(buffer.c_str());
}

void PluginBase::writeProperty(const char* key, const std::string& value) const
{
    if (config != nullptr) {
        config->setProperty(key, value.c_str(), identity.id);
    }
}

const ExtractPluginExtension* PluginBase::extension(bool concurrent)
{
    // extract measures before it writes, and removes a file it could not finish.
    static const ExtractPluginExtension alone = {
        sizeof(ExtractPluginExtension),
        &PluginBase::extensionSignatures,
        &PluginBase::extensionFailure,
        &PluginBase::extensionHost,
        EXTRACT_PROMISE_NO_LEFTOVERS,
        nullptr,
        nullptr,
        &PluginBase::extensionKinds,
    };
    static const ExtractPluginExtension beside = {
        sizeof(ExtractPluginExtension),
        &PluginBase::extensionSignatures,
        &PluginBase::extensionFailure,
        &PluginBase::extensionHost,
        EXTRACT_PROMISE_NO_LEFTOVERS | EXTRACT_PROMISE_CONCURRENT,
        &PluginBase::extensionCall,
        &PluginBase::extensionSettle,
        &PluginBase::extensionKinds,
    };
    return concurrent ? &beside : &alone;
}

int PluginBase::extensionSignatures(IExtractPlugin* plugin, const ExtractSignature** signatures)
{
    try {
        const SignatureSet* set = static_cast<PluginBase*>(plugin)->signatures();
        if (set == nullptr) {
            return -1;
        }
        *signatures = set->data();
        return set->count();
    } catch (...) {
        return -1;
    }
}

int PluginBase::extensionFailure(IExtractPlugin* plugin, const char** message)
{
    PluginBase* self = static_cast<PluginBase*>(plugin);
    *message = self->failureMessage.c_str();
    return self->lastFailure;
}

void PluginBase::extensionHost(IExtractPlugin* plugin, const ExtractHost* host)
{
    PluginBase* self = static_cast<PluginBase*>(plugin);
    self->host = host;
    try {
        self->hostChanged(host != nullptr);
    } catch (...) {
    }
}

void PluginBase::hostChanged(bool)
{
}

unsigned PluginBase::extensionCall(IExtractPlugin* plugin, ExtractCall* call)
{
    PluginBase* self = static_cast<PluginBase*>(plugin);
    call->result = 0;
    call->failure = EXTRACT_NOTHING_FOUND;
    call->note = nullptr;
    if (call->message != nullptr && call->messageCapacity > 0) {
        call->message[0] = '\0';
    }
    Attempt attempt;
    attempt.inputPath = call->inputPath;
    attempt.offset = call->offset;
    attempt.outputPath = call->outputPath;
    attempt.host = call->host;
    call->result = self->attemptExtract(attempt, true);
    if (call->result == 0) {
        call->failure = attempt.failure;
        if (call->message != nullptr && call->messageCapacity > 0) {
            // Cut before a character's first byte, never inside one.
            std::size_t length = std::min<std::size_t>(attempt.message.size(), call->messageCapacity - 1);
            while (length > 0 && length < attempt.message.size() &&
                   (static_cast<unsigned char>(attempt.message[length]) & 0xC0) == 0x80) {
                --length;
            }
            attempt.message.copy(call->message, length);
            call->message[length] = '\0';
        }
    }
    call->note = attempt.note.release();
    return call->result;
}

int PluginBase::extensionSettle(IExtractPlugin* plugin, ExtractCall* call, int taken)
{
    PluginBase* self = static_cast<PluginBase*>(plugin);
    std::unique_ptr<CallNote> note(static_cast<CallNote*>(call->note));
    call->note = nullptr;
    if (taken == 0) {
        return 0;
    }
    Settled settled = Settled::stands;
    try {
        settled = self->settle(*call, call->result, note.get());
    } catch (...) {
        // Only what the object learned is lost: the answer is as good as before.
    }
    if (settled == Settled::withdrawn) {
        call->result = 0;
        call->failure = EXTRACT_NOTHING_FOUND;
        if (call->message != nullptr && call->messageCapacity > 0) {
            call->message[0] = '\0';
        }
    }
    return settled == Settled::again ? 1 : 0;
}

std::vector<const char*> PluginBase::kinds()
{
    return {identity.kind};
}

int PluginBase::extensionKinds(IExtractPlugin* plugin, const char* const** kinds)
{
    PluginBase* self = static_cast<PluginBase*>(plugin);
    try {
        self->kindList = self->kinds();
    } catch (...) {
        return -1;
    }
    *kinds = self->kindList.data();
    return static_cast<int>(self->kindList.size());
}
