#include "conversion/decodeahead.h"

#include <algorithm>
#include <optional>

#include "codec/jpeglimits.h"
#include "codec/jpegsettings.h"
#include "codec/pictureformat.h"
#include "codec/srgbtransform.h"
#include "conversion/runhost.h"
#include "conversion/runstate.h"
#include "image/bitmap.h"
#include "platform/filestatus.h"
#include "platform/memoryreuse.h"

namespace {

bool SameFile(const FileStatus& a, const FileStatus& b) {
    return a.sameFileAs(b) && a.kind == b.kind && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

}  // namespace

struct DecodeAhead::Job {
    enum class Stage { Waiting, Decoding, Done };
    Stage stage = Stage::Waiting;
    std::string path;
    LoadChoices shape;
    bool ok = false;
    std::optional<FileStatus> file;  // as it was while it was read
    TBitmap bitmap;
    uint32_t age = 0;
    std::unique_ptr<SrgbTransform> colours;
    int64_t reserved = 0;
};

DecodeAhead::DecodeAhead(int workers) : depth_(size_t(std::max(workers, 1))) {
    // Made here: the first use may ask the screen, which only this thread may.
    DefaultJpegSettings();
    // Pictures are decoded on one thread and freed on another.
    KeepFreedMemoryForReuse();
    for (size_t i = 0; i < depth_; ++i) threads_.emplace_back([this] { work(); });
}

DecodeAhead::~DecodeAhead() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void DecodeAhead::schedule(const std::vector<std::string>& queue, size_t first, RunHost& host) {
    {
        std::lock_guard lock(mutex_);
        for (size_t i = first; i < std::min(queue.size(), first + depth_); ++i) {
            if (jobs_.count(i) != 0) continue;
            auto job = std::make_shared<Job>();
            job->path = queue[i];
            job->shape = LoadChoices::Of(host, queue[i]);
            jobs_.emplace(i, std::move(job));
        }
    }
    changed_.notify_all();
}

bool DecodeAhead::take(size_t index, const std::string& path, const LoadChoices& shape,
                       TBitmap& bitmap, uint32_t& age, std::unique_ptr<SrgbTransform>& colours) {
    std::shared_ptr<Job> job;
    {
        std::unique_lock lock(mutex_);
        const auto decoding = [&] {
            return std::any_of(jobs_.begin(), jobs_.upper_bound(index), [](const auto& entry) {
                return entry.second->stage == Job::Stage::Decoding;
            });
        };
        changed_.wait(lock, [&] { return !decoding(); });
        const auto found = jobs_.find(index);
        if (found != jobs_.end() && found->second->stage == Job::Stage::Done) job = found->second;
        for (auto it = jobs_.begin(); it != jobs_.upper_bound(index); it = jobs_.erase(it))
            reserved_ -= it->second->reserved;
    }
    changed_.notify_all();
    if (!job || !job->ok || job->path != path || !(job->shape == shape)) return false;
    const auto now = StatPath(path);
    if (!now || !SameFile(*now, *job->file)) return false;
    bitmap = std::move(job->bitmap);
    age = job->age;
    colours = std::move(job->colours);
    return true;
}

void DecodeAhead::finishScheduled() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
        return std::none_of(jobs_.begin(), jobs_.end(), [](const auto& entry) {
            return entry.second->stage != Job::Stage::Done;
        });
    });
}

void DecodeAhead::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto waiting = [&] {
            return std::find_if(jobs_.begin(), jobs_.end(), [](const auto& entry) {
                return entry.second->stage == Job::Stage::Waiting;
            });
        };
        changed_.wait(lock, [&] { return stopping_ || waiting() != jobs_.end(); });
        if (stopping_) return;
        const std::shared_ptr<Job> job = waiting()->second;
        job->stage = Job::Stage::Decoding;
        lock.unlock();
        decode(*job);
        lock.lock();
        job->stage = Job::Stage::Done;
        changed_.notify_all();
    }
}

bool DecodeAhead::reserve(Job& job, int64_t bytes) {
    std::lock_guard lock(mutex_);
    if (bytes < 0 || reserved_ + bytes > kJpegMemoryBudget) return false;
    reserved_ += bytes;
    job.reserved += bytes;
    return true;
}

void DecodeAhead::decode(Job& job) {
    // A job alone always fits: its decoder keeps any one picture within the budget.
    const auto hold = [&](int64_t bytes) {
        return reserve(job, std::min(bytes, kJpegMemoryBudget - job.reserved));
    };
    job.file = StatPath(job.path);
    if (!job.file || job.file->kind != FileStatus::Kind::File || !hold(job.file->size)) return;
    try {
        RunState state;
        const DecodeAdmission admit = hold;
        job.ok =
            LoadSourceFile(job.bitmap, job.path, state, job.shape, nullptr, &job.colours, &admit);
        job.age = state.SourceFileAge;
    } catch (...) {
        job.ok = false;  // the run's own load meets the failure again and reports it
    }
    // Written while it was read: the run loads it itself.
    const auto after = StatPath(job.path);
    if (!after || !SameFile(*after, *job.file)) job.ok = false;
}
