#include "bench/decoders/pinyin_peers.h"

#include <cstdlib>
#include <filesystem>

#if WRENDLE_HAVE_LIBPINYIN
#include <stdbool.h>
// The library's header needs stdbool.h first.
#include <pinyin.h>
#endif
#if WRENDLE_HAVE_SUNPINYIN
#include <sunpinyin.h>
#endif
#if WRENDLE_HAVE_RIME
#include <rime_api.h>
#endif

namespace bench {

namespace {

[[maybe_unused]] void AppendUtf8(unsigned code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

#if WRENDLE_HAVE_LIBPINYIN
class LibPinyinPeer : public PinyinPeer {
 public:
  explicit LibPinyinPeer(const std::string& user_folder) {
    std::filesystem::create_directories(user_folder);
    context_ = pinyin_init(WRENDLE_LIBPINYIN_DATA_DIR, user_folder.c_str());
    if (context_) {
      pinyin_set_options(context_, IS_PINYIN | USE_DIVIDED_TABLE | USE_RESPLIT_TABLE);
      instance_ = pinyin_alloc_instance(context_);
    }
  }
  ~LibPinyinPeer() override {
    if (instance_) pinyin_free_instance(instance_);
    if (context_) pinyin_fini(context_);
  }
  bool ok() const { return instance_ != nullptr; }
  const char* name() const override { return "libpinyin"; }
  std::string Convert(std::string_view pinyin) override {
    pinyin_reset(instance_);
    pinyin_parse_more_full_pinyins(instance_, std::string(pinyin).c_str());
    pinyin_guess_sentence(instance_);
    char* sentence = nullptr;
    std::string out;
    if (pinyin_get_sentence(instance_, 0, &sentence) && sentence) out = sentence;
    g_free(sentence);
    return out;
  }

 private:
  pinyin_context_t* context_ = nullptr;
  pinyin_instance_t* instance_ = nullptr;
};
#endif

#if WRENDLE_HAVE_SUNPINYIN
// The session's window: what it commits is the converted text.
class CommitCollector : public CIMIWinHandler {
 public:
  void commit(const TWCHAR* text) override {
    for (; text && *text; ++text) AppendUtf8(*text, &committed_);
  }
  void updatePreedit(const IPreeditString*) override {}
  void updateCandidates(const ICandidateList*) override {}
  void updateStatus(int, int) override {}
  void throwBackKey(unsigned, unsigned, unsigned) override {}
  std::string Take() { return std::move(committed_); }

 private:
  std::string committed_;
};

class SunPinyinPeer : public PinyinPeer {
 public:
  SunPinyinPeer() {
    CSunpinyinSessionFactory& factory = CSunpinyinSessionFactory::getFactory();
    factory.setPinyinScheme(CSunpinyinSessionFactory::QUANPIN);
    view_ = factory.createSession();
    if (view_) view_->attachWinHandler(&collector_);
  }
  ~SunPinyinPeer() override {
    if (view_) CSunpinyinSessionFactory::getFactory().destroySession(view_);
  }
  bool ok() const { return view_ != nullptr; }
  const char* name() const override { return "sunpinyin"; }
  std::string Convert(std::string_view pinyin) override {
    view_->clearIC();
    collector_.Take();
    for (char key : pinyin)
      view_->onKeyEvent(CKeyEvent(static_cast<unsigned>(key), static_cast<unsigned>(key), 0));
    view_->onKeyEvent(CKeyEvent(IM_VK_SPACE, ' ', 0));
    return collector_.Take();
  }

 private:
  CommitCollector collector_;
  CIMIView* view_ = nullptr;
};
#endif

#if WRENDLE_HAVE_RIME
class RimePeer : public PinyinPeer {
 public:
  explicit RimePeer(const std::string& user_folder) {
    std::filesystem::create_directories(user_folder);
    api_ = rime_get_api();
    RIME_STRUCT(RimeTraits, traits);
    traits.shared_data_dir = WRENDLE_RIME_DATA_DIR;
    traits.user_data_dir = user_folder.c_str();
    traits.app_name = "rime.keyboard_bench";
    api_->setup(&traits);
    api_->initialize(&traits);
    // Builds the schema's dictionaries in the user folder the first time.
    if (api_->start_maintenance(False)) api_->join_maintenance_thread();
    session_ = api_->create_session();
    if (session_ && !api_->select_schema(session_, "luna_pinyin_simp")) session_ = 0;
  }
  ~RimePeer() override {
    if (session_) api_->destroy_session(session_);
    api_->finalize();
  }
  bool ok() const { return session_ != 0; }
  const char* name() const override { return "librime"; }
  std::string Convert(std::string_view pinyin) override {
    api_->clear_composition(session_);
    api_->simulate_key_sequence(session_, std::string(pinyin).c_str());
    RIME_STRUCT(RimeContext, context);
    std::string out;
    if (api_->get_context(session_, &context)) {
      if (context.commit_text_preview) out = context.commit_text_preview;
      api_->free_context(&context);
    }
    return out;
  }

 private:
  RimeApi* api_ = nullptr;
  RimeSessionId session_ = 0;
};
#endif

}  // namespace

std::vector<std::unique_ptr<PinyinPeer>> MakePinyinPeers([[maybe_unused]] const std::string& work_folder) {
  std::vector<std::unique_ptr<PinyinPeer>> peers;
#if WRENDLE_HAVE_LIBPINYIN
  if (auto peer = std::make_unique<LibPinyinPeer>(work_folder + "/libpinyin"); peer->ok())
    peers.push_back(std::move(peer));
#endif
#if WRENDLE_HAVE_SUNPINYIN
  if (auto peer = std::make_unique<SunPinyinPeer>(); peer->ok()) peers.push_back(std::move(peer));
#endif
#if WRENDLE_HAVE_RIME
  if (auto peer = std::make_unique<RimePeer>(work_folder + "/rime"); peer->ok())
    peers.push_back(std::move(peer));
#endif
  return peers;
}

}  // namespace bench
