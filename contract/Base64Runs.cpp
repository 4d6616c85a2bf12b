#include "Base64Runs.h"

#include "ChunkedBytes.h"
#include "SoapCodec.h"

#include "core/Base64.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include <sys/mman.h>

namespace Soap {
namespace {

constexpr char16_t kOpen = 0xE000;
constexpr char16_t kClose = 0xE001;
constexpr char kOpenUtf8[] = "\xEE\x80\x80"; // U+E000
constexpr char kCloseUtf8[] = "\xEE\x80\x81";

constexpr std::array<signed char, 256> makeSextets() {
    constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::array<signed char, 256> table{};
    for (signed char &v : table) {
        v = -1;
    }
    for (int i = 0; i < 64; ++i) {
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
    }
    return table;
}
constexpr std::array<signed char, 256> kSextet = makeSextets();

int sextet(char c) {
    return kSextet[static_cast<unsigned char>(c)];
}

// The XML reader takes a message as UTF-8 unless a byte order mark, the zero bytes of UTF-16 or
// UTF-32 around the first '<', or the XML declaration say otherwise.
bool readAsUtf8(const ChunkedBytes &message) {
    QByteArray head;
    for (qsizetype i = 0; i < message.size() && i < 256; ++i) {
        head.append(message.at(i));
    }
    if (head.startsWith("\xEF\xBB\xBF")) {
        head.remove(0, 3);
    }
    if (head.startsWith("\xFE\xFF") || head.startsWith("\xFF\xFE") || head.left(4).contains('\0')) {
        return false;
    }
    const qsizetype start = head.indexOf("<?xml");
    if (start < 0) {
        return true;
    }
    const qsizetype end = head.indexOf("?>", start);
    if (end < 0) {
        return false;
    }
    const QByteArray declaration = head.sliced(start, end - start);
    const qsizetype encoding = declaration.indexOf("encoding");
    if (encoding < 0) {
        return true;
    }
    const QByteArray value =
        declaration.sliced(encoding + 8).simplified().replace(' ', "").replace('\'', '"').toLower();
    return value.startsWith("=\"utf-8\"");
}

// The markers' first two bytes, shared by U+E000 to U+E03F: one search instead of one per marker.
constexpr char kMarkerLead[] = "\xEE\x80";

// Where the runs are decoded: large blocks, each shared by the runs cut from it (a run is an array
// of the block's data, kept alive by it, NUL after it as in any array), asked to be backed by huge
// pages. On the virtual machines the client runs on, the first touch of each 4 KiB page of fresh
// memory costs about 10 µs: tens of megabytes of photos took longer to fault in than to decode.
class RunArena {
public:
    // Room for a run of `room` bytes whose first `kept` bytes are at run (null: a new run); returns
    // where the run now starts, moved to a new block when the current one is too small.
    char *reserve(char *run, qsizetype kept, qsizetype room) {
        if (run == nullptr) {
            run = base_ + used_;
        }
        if (base_ != nullptr && (run - base_) + room + 1 <= block_.size()) {
            return run;
        }
        QByteArray block(qMax(next_, 2 * (room + 1)), Qt::Uninitialized);
        next_ = qMin(2 * next_, kLargestBlock);
        char *base = block.data(); // before the block is shared
        adviseHugePages(base, block.size());
        if (kept > 0) {
            std::memcpy(base, run, std::size_t(kept));
        }
        block_ = std::move(block);
        base_ = base;
        used_ = 0;
        return base_;
    }

    // The run of n bytes at run as an array sharing the block; the room after it goes to the next.
    QByteArray take(char *run, qsizetype n) {
        run[n] = '\0';
        used_ = (run - base_) + n + 1;
        QByteArray::DataPointer &block = block_.data_ptr();
        block.d_ptr()->ref();
        return QByteArray(QByteArray::DataPointer(block.d_ptr(), run, n));
    }

private:
    // Blocks double from the first to the largest: a message with one photo takes a small block, a
    // long list soon takes blocks of 64 MiB. Address space only: what is not written is not memory.
    // The large blocks are above malloc's largest mapping threshold, so each is a mapping of its
    // own, returned whole when its runs go.
    static constexpr qsizetype kFirstBlock = qsizetype(1) << 20;
    static constexpr qsizetype kLargestBlock = qsizetype(64) << 20;

    static void adviseHugePages(char *data, qsizetype size) {
        constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
        const auto start = reinterpret_cast<std::uintptr_t>(data);
        const std::uintptr_t begin = (start + kHuge - 1) & ~(kHuge - 1);
        const std::uintptr_t end = (start + std::uintptr_t(size)) & ~(kHuge - 1);
        if (begin < end) {
            ::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE); // a hint only
        }
    }

    QByteArray block_;
    qsizetype next_ = kFirstBlock; // the size of the next block
    char *base_ = nullptr;
    qsizetype used_ = 0; // bytes of the block given to runs
};

// Copies a message into its skeleton piece by piece, decoding the runs as they pass and lifting
// those that qualify.
class Lifter {
public:
    explicit Lifter(std::vector<QByteArray> *runs) : runs_(runs) {}
    void rebind(std::vector<QByteArray> *runs) { runs_ = runs; }
    // Where each marker stands in the skeleton, [begin, end), in the order of the runs.
    const std::vector<std::pair<qsizetype, qsizetype>> &markers() const { return markers_; }

    void feed(QByteArrayView piece) {
        if (!carry_.isEmpty()) {
            // The undecided end of a run, settled together with the head of this piece.
            constexpr qsizetype kHead = 64;
            const qsizetype held = carry_.size();
            QByteArray head = carry_;
            head.append(piece.first(qMin(piece.size(), kHead)));
            const qsizetype used = scan(head);
            if (piece.size() <= kHead) {
                carry_ = head.sliced(used);
                return;
            }
            carry_.clear();
            piece = piece.sliced(used - held); // scan() leaves at most 4 bytes, so used > held
        }
        const qsizetype used = scan(piece);
        carry_ = piece.sliced(used).toByteArray();
    }

    QByteArray finish() {
        if (inRun_) {
            endRun(false); // the message ended inside the run
        }
        skeleton_ += carry_;
        return std::move(skeleton_);
    }

private:
    // Consumes text but for at most 4 bytes at its end when they may still close a run.
    qsizetype scan(QByteArrayView text) {
        const char *s = text.data();
        const qsizetype n = text.size();
        qsizetype i = 0;
        while (i < n) {
            if (!inRun_) {
                const void *gt = std::memchr(s + i, '>', size_t(n - i));
                const qsizetype end = gt ? static_cast<const char *>(gt) - s + 1 : n;
                skeleton_.append(s + i, end - i);
                i = end;
                inRun_ = gt != nullptr;
                continue;
            }
            const void *lt = std::memchr(s + i, '<', size_t(n - i));
            const qsizetype limit = lt ? static_cast<const char *>(lt) - s : n;
            if (chars_ == 0 && lt && limit - i < Base64Runs::kMinRun) {
                // Too short to lift, and so is any run that starts at a '>' inside it.
                skeleton_.append(s + i, limit - i);
                i = limit;
                inRun_ = false;
                continue;
            }
            run_ = arena_.reserve(run_, decoded_, decoded_ + (limit - i) / 4 * 3 + 2);
            const qsizetype whole =
                DecodeBase64Groups(QByteArrayView(s + i, limit - i), run_ + decoded_);
            decoded_ += whole / 4 * 3;
            chars_ += whole;
            i += whole;
            // The run ends at a '<' after whole groups, or after a last group with fill.
            qsizetype m = 0;
            while (m < 3 && i + m < n && sextet(s[i + m]) >= 0) {
                ++m;
            }
            if (i + m == n || (m >= 2 && s[i + m] == '=' && i + 5 > n)) {
                break; // decided by what comes next
            }
            if (m == 0 && s[i] == '<') {
                endRun(true);
            } else if (m >= 2 && s[i + m] == '=' && lastGroup(s + i, m)) {
                i += 4;
                chars_ += 4;
                endRun(true);
            } else {
                endRun(false); // what follows the whole groups is read as ordinary text
            }
        }
        return i;
    }

    // A last group of m characters (2 or 3, the next one "="), canonical fill and '<' after it:
    // decoded to the run. s holds at least 5 characters.
    bool lastGroup(const char *s, qsizetype m) {
        if ((m == 2 && s[2] != '=') || s[3] != '=' || s[4] != '<') {
            return false;
        }
        const unsigned int v = (unsigned(sextet(s[0])) << 18) | (unsigned(sextet(s[1])) << 12) |
                               (m == 3 ? unsigned(sextet(s[2])) << 6 : 0U);
        if ((v & (m == 2 ? 0xFFFFU : 0xFFU)) != 0) {
            return false; // fill bits that a reader would drop: not written back alike
        }
        run_[decoded_++] = static_cast<char>(v >> 16);
        if (m == 3) {
            run_[decoded_++] = static_cast<char>(v >> 8);
        }
        return true;
    }

    void endRun(bool closedByTag) {
        if (closedByTag && chars_ >= Base64Runs::kMinRun) {
            runs_->push_back(arena_.take(run_, decoded_));
            const qsizetype begin = skeleton_.size();
            skeleton_ += kOpenUtf8 + QByteArray::number(qsizetype(runs_->size() - 1)) + kCloseUtf8;
            markers_.emplace_back(begin, skeleton_.size());
        } else {
            // Whole groups and a canonical last group encode back to the characters they came from.
            AppendBase64(skeleton_, QByteArrayView(run_, decoded_));
        }
        run_ = nullptr; // a run not lifted leaves its room to the next
        decoded_ = 0;
        chars_ = 0;
        inRun_ = false;
    }

    std::vector<QByteArray> *runs_;
    std::vector<std::pair<qsizetype, qsizetype>> markers_;
    QByteArray skeleton_;
    QByteArray carry_;      // the end of the last piece that scan() left
    bool inRun_ = false;    // after a '>', within a possible run
    RunArena arena_;
    char *run_ = nullptr;   // the run decoded so far, in arena_
    qsizetype decoded_ = 0; // bytes of run_ written
    qsizetype chars_ = 0;   // characters of the run consumed
};

// The message as it came: the skeleton with each marker written back as its run's Base64.
QByteArray restoreRuns(const QByteArray &skeleton, const std::vector<std::pair<qsizetype, qsizetype>> &markers,
                       const std::vector<QByteArray> &runs) {
    QByteArray out;
    qsizetype from = 0;
    for (std::size_t k = 0; k < markers.size(); ++k) {
        out.append(skeleton.constData() + from, markers[k].first - from);
        AppendBase64(out, runs[k]);
        from = markers[k].second;
    }
    out.append(skeleton.constData() + from, skeleton.size() - from);
    return out;
}

// The bytes the head check needs before lifting may start.
constexpr qsizetype kHeadBytes = 256;

} // namespace

// mayLift() taken on the pieces as they come: lifting starts once the head shows UTF-8, and stops
// at the first pair of bytes that could spell a marker, the message then rebuilt as it came and kept
// whole from there on.
class Base64Runs::Feed {
public:
    using Observer = std::function<void(const QByteArray &)>;

    Feed(std::vector<QByteArray> *runs, const Observer *observer)
        : runs_(runs), observer_(observer), lifter_(runs) {}

    void rebind(std::vector<QByteArray> *runs, const Observer *observer) {
        runs_ = runs;
        observer_ = observer;
        lifter_.rebind(runs);
    }

    // owner, when not null, holds the piece's bytes: a piece that must be kept is then shared,
    // not copied.
    void feed(QByteArrayView piece, const QByteArray &owner) {
        if (mode_ != Mode::Raw && spellsMarker(piece)) {
            if (mode_ == Mode::Lifting) {
                giveUp();
            }
            mode_ = Mode::Raw;
        }
        if (mode_ == Mode::Undecided && heldBytes_ + piece.size() >= kHeadBytes) {
            decide(piece);
        }
        switch (mode_) {
        case Mode::Lifting:
            lifter_.feed(piece);
            announce();
            return;
        case Mode::Undecided:
            heldBytes_ += piece.size();
            hold(piece, owner);
            return;
        case Mode::Raw:
            hold(piece, owner);
            return;
        }
    }

    QByteArrayList finish() {
        if (mode_ == Mode::Undecided) {
            decide({});
        }
        if (mode_ == Mode::Lifting) {
            return {lifter_.finish()};
        }
        return std::move(held_);
    }

private:
    enum class Mode { Undecided, Lifting, Raw };

    // The marker lead or a character reference in piece, or across its start.
    bool spellsMarker(QByteArrayView piece) {
        if (piece.isEmpty()) {
            return false;
        }
        const bool across = (last_ == kMarkerLead[0] && piece.front() == kMarkerLead[1]) ||
                            (last_ == '&' && piece.front() == '#');
        last_ = piece.back();
        return across || holdsPair(piece, kMarkerLead[0], kMarkerLead[1]) || holdsPair(piece, '&', '#');
    }

    // Whether text holds a followed by b; neither is in the Base64 alphabet, so a photo's run is
    // passed at memchr's pace.
    static bool holdsPair(QByteArrayView text, char a, char b) {
        const char *s = text.data();
        const char *end = s + text.size();
        while (const void *hit = std::memchr(s, a, std::size_t(end - s))) {
            s = static_cast<const char *>(hit) + 1;
            if (s < end && *s == b) {
                return true;
            }
        }
        return false;
    }

    void hold(QByteArrayView piece, const QByteArray &owner) {
        held_.append(owner.isNull() ? piece.toByteArray() : owner);
    }

    // Decides on the head of what is held and then next.
    void decide(QByteArrayView next) {
        QByteArrayList head = held_;
        head.append(next.first(qMin(next.size(), kHeadBytes)).toByteArray());
        mode_ = readAsUtf8(ChunkedBytes(head)) ? Mode::Lifting : Mode::Raw;
        if (mode_ == Mode::Lifting) {
            while (!held_.isEmpty()) {
                lifter_.feed(held_.takeFirst());
            }
            announce();
        }
    }

    // Hands the runs decoded since the last call to the observer.
    void announce() {
        for (; announced_ < runs_->size(); ++announced_) {
            if (*observer_) {
                (*observer_)((*runs_)[announced_]);
            }
        }
    }

    void giveUp() {
        const QByteArray skeleton = lifter_.finish();
        held_ = {restoreRuns(skeleton, lifter_.markers(), *runs_)};
        runs_->clear();
    }

    std::vector<QByteArray> *runs_;
    const Observer *observer_;
    std::size_t announced_ = 0; // runs handed to the observer
    Lifter lifter_;
    Mode mode_ = Mode::Undecided;
    QByteArrayList held_; // before the decision, and all of the message once nothing may be lifted
    qsizetype heldBytes_ = 0;
    char last_ = 0; // the last byte fed
};

Base64Runs::Base64Runs() = default;
Base64Runs::~Base64Runs() = default;

Base64Runs::Base64Runs(Base64Runs &&other) noexcept
    : runs_(std::move(other.runs_)), feed_(std::move(other.feed_)), observer_(std::move(other.observer_)) {
    if (feed_) {
        feed_->rebind(&runs_, &observer_);
    }
}

Base64Runs &Base64Runs::operator=(Base64Runs &&other) noexcept {
    runs_ = std::move(other.runs_);
    feed_ = std::move(other.feed_);
    observer_ = std::move(other.observer_);
    if (feed_) {
        feed_->rebind(&runs_, &observer_);
    }
    return *this;
}

Base64Runs::Feed &Base64Runs::feedState() {
    if (!feed_) {
        runs_.clear();
        feed_ = std::make_unique<Feed>(&runs_, &observer_);
    }
    return *feed_;
}

void Base64Runs::feed(QByteArrayView piece) {
    feedState().feed(piece, QByteArray());
}

void Base64Runs::feed(const QByteArray &piece) {
    feedState().feed(piece, piece);
}

QByteArrayList Base64Runs::finish() {
    QByteArrayList text = feedState().finish();
    feed_.reset();
    return text;
}

void Base64Runs::setRunObserver(std::function<void(const QByteArray &)> observer) {
    observer_ = std::move(observer);
}

QByteArrayList Base64Runs::lift(QByteArrayList &&parts) {
    while (!parts.isEmpty()) {
        feed(parts.takeFirst());
    }
    return finish();
}

std::optional<QByteArray> Base64Runs::take(QStringView text) {
    if (text.size() < 3 || text.front() != kOpen || text.back() != kClose) {
        return std::nullopt;
    }
    bool ok = false;
    const qsizetype index = text.sliced(1, text.size() - 2).toLongLong(&ok);
    if (!ok || index < 0 || index >= qsizetype(runs_.size())) {
        throw SoapError(QStringLiteral("unreadable message: a photo's contents were lost"));
    }
    return std::exchange(runs_[size_t(index)], QByteArray());
}

QString Base64Runs::restore(QString text) const {
    if (!text.contains(QChar(kOpen))) {
        return text;
    }
    QString out;
    qsizetype from = 0;
    while (true) {
        const qsizetype open = text.indexOf(QChar(kOpen), from);
        if (open < 0) {
            out += QStringView(text).sliced(from);
            return out;
        }
        const qsizetype close = text.indexOf(QChar(kClose), open);
        bool ok = false;
        const qsizetype index =
            close < 0 ? -1 : QStringView(text).sliced(open + 1, close - open - 1).toLongLong(&ok);
        if (!ok || index < 0 || index >= qsizetype(runs_.size())) {
            throw SoapError(QStringLiteral("unreadable message: a photo's contents were lost"));
        }
        out += QStringView(text).sliced(from, open - from);
        QByteArray base64;
        AppendBase64(base64, runs_[size_t(index)]);
        out += QLatin1StringView(base64);
        from = close + 1;
    }
}

} // namespace Soap
