// SPDX-License-Identifier: Zlib
// The page decoder's worker: one thread that decodes the pages in file order
// and files each result under its PNG's address.
#include "data/PageDecoder.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "data/GameData.h"

namespace {

struct PageJob {
  const uint8_t* png = nullptr;
  size_t size = 0;
  bool done = false;
  bool ok = false;
  DecodedImage image;
  std::string error;
};

struct DecoderState {
  std::mutex mutex;
  std::condition_variable finished;
  std::vector<PageJob> jobs;  // fixed while the worker runs; entries change under the mutex
  std::thread worker;
  bool started = false;  // main thread only
};

DecoderState& St() {
  static DecoderState state;
  return state;
}

void DecodeAll() {
  DecoderState& st = St();
  for (size_t i = 0;; ++i) {
    const uint8_t* png;
    size_t size;
    {
      std::lock_guard<std::mutex> lock(st.mutex);
      if (i >= st.jobs.size()) return;
      png = st.jobs[i].png;
      size = st.jobs[i].size;
    }
    DecodedImage image;
    std::string error;
    bool ok = Png_DecodeRGBA(png, size, &image, &error);
    {
      std::lock_guard<std::mutex> lock(st.mutex);
      PageJob& job = st.jobs[i];
      job.ok = ok;
      job.image = std::move(image);
      job.error = std::move(error);
      job.done = true;
    }
    st.finished.notify_all();
  }
}

PageJob* FindJob(const uint8_t* png) {
  for (PageJob& job : St().jobs)
    if (job.png == png) return &job;
  return nullptr;
}

}  // namespace

void PageDecoder_Queue(const uint8_t* file, size_t size) {
  PageDecoder_Stop();
  std::vector<TexturePagePng> pages;
  GameData_FindPagePngs(file, size, &pages);
  DecoderState& st = St();
  for (const TexturePagePng& page : pages) {
    PageJob job;
    job.png = page.png;
    job.size = page.size;
    st.jobs.push_back(std::move(job));
  }
}

void PageDecoder_Begin() {
  DecoderState& st = St();
  if (st.started || st.jobs.empty()) return;
  st.started = true;
  st.worker = std::thread(DecodeAll);
}

void PageDecoder_Start(const uint8_t* file, size_t size) {
  PageDecoder_Queue(file, size);
  PageDecoder_Begin();
}

bool PageDecoder_Has(const uint8_t* png) {
  std::lock_guard<std::mutex> lock(St().mutex);
  return FindJob(png) != nullptr;
}

PageDecodeResult PageDecoder_Take(const uint8_t* png, bool wait, DecodedImage* image, std::string* error) {
  DecoderState& st = St();
  if (wait) PageDecoder_Begin();  // nothing to wait for unless the worker runs
  std::unique_lock<std::mutex> lock(st.mutex);
  PageJob* job = FindJob(png);
  if (!job) return PageDecodeResult::Unknown;
  if (!job->done) {
    if (!wait) return PageDecodeResult::Pending;
    st.finished.wait(lock, [job] { return job->done; });
  }
  PageDecodeResult result = PageDecodeResult::Failed;
  if (job->ok) {
    *image = std::move(job->image);
    result = PageDecodeResult::Decoded;
  } else if (error) {
    *error = job->error;
  }
  job->png = nullptr;  // taken: a second take finds nothing
  return result;
}

void PageDecoder_Stop() {
  DecoderState& st = St();
  if (st.worker.joinable()) st.worker.join();
  std::lock_guard<std::mutex> lock(st.mutex);
  st.jobs.clear();
  st.started = false;
}
