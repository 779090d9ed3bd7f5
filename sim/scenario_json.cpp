#include "sim/scenario_json.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

namespace kell::sim {
namespace {

using Json = nlohmann::json;

// Reads the fields of one JSON object into their places, keeping the first error.
class Reader {
  public:
    Reader(const Json& object, std::string path, std::string& error)
        : object_(object), path_(std::move(path)), error_(error) {
        if (!object_.is_object())
            Fail(path_.empty() ? "the scenario" : path_, "is not an object");
    }

    bool Ok() const { return error_.empty(); }

    template <typename Int>
    void Integer(const char* key, Int& out, long long lo, long long hi) {
        const Json* v = Take(key);
        if (!v)
            return;
        if (!v->is_number_integer() || v->get<long long>() < lo || v->get<long long>() > hi) {
            Fail(Name(key),
                 "must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
            return;
        }
        out = static_cast<Int>(v->get<long long>());
    }
    void Byte(const char* key, std::uint8_t& out) { Integer(key, out, 0, 255); }
    void Flag(const char* key, bool& out) {
        const Json* v = Take(key);
        if (!v)
            return;
        if (!v->is_boolean())
            return Fail(Name(key), "must be true or false");
        out = v->get<bool>();
    }
    void Text(const char* key, std::string& out, std::size_t maxLength = 256) {
        const Json* v = Take(key);
        if (!v)
            return;
        if (!v->is_string() || v->get<std::string>().size() > maxLength) {
            return Fail(Name(key),
                        "must be a text of at most " + std::to_string(maxLength) + " characters");
        }
        out = v->get<std::string>();
    }
    void Bytes(const char* key, std::vector<std::uint8_t>& out, std::size_t maxLength) {
        const Json* v = Take(key);
        if (!v)
            return;
        std::vector<std::uint8_t> bytes;
        if (!ToBytes(*v, bytes) || bytes.size() > maxLength) {
            return Fail(Name(key), "must be at most " + std::to_string(maxLength) +
                                       " bytes, as an array of numbers or hexadecimal text");
        }
        out = std::move(bytes);
    }
    void Milliseconds(const char* key, std::int64_t& outUs) {
        const Json* v = Take(key);
        if (!v)
            return;
        if (!v->is_number() || v->get<double>() < 0 || v->get<double>() > 86'400'000.0) {
            return Fail(Name(key), "must be a number of milliseconds from 0 to one day");
        }
        outUs = static_cast<std::int64_t>(v->get<double>() * 1000.0 + 0.5);
    }
    template <typename E>
    void Named(const char* key, E& out, std::optional<E> (*fromName)(std::string_view)) {
        const Json* v = Take(key);
        if (!v)
            return;
        std::optional<E> e = v->is_string() ? fromName(v->get<std::string>()) : std::nullopt;
        if (!e)
            return Fail(Name(key), "has an unknown value");
        out = *e;
    }
    // A nested object or array, handed to `read` when present.
    void Child(const char* key, const std::function<void(const Json&, const std::string&)>& read) {
        const Json* v = Take(key);
        if (v)
            read(*v, Name(key));
    }
    // Every field must have been taken.
    void Finish() {
        if (!Ok() || !object_.is_object())
            return;
        for (auto it = object_.begin(); it != object_.end(); ++it) {
            if (!taken_.count(it.key()))
                return Fail(Name(it.key().c_str()), "is not a known field");
        }
    }
    void Fail(const std::string& where, const std::string& what) {
        if (error_.empty())
            error_ = where + " " + what;
    }

  private:
    const Json* Take(const char* key) {
        if (!Ok() || !object_.is_object())
            return nullptr;
        taken_[key] = true;
        auto it = object_.find(key);
        return it == object_.end() ? nullptr : &*it;
    }
    std::string Name(const char* key) const { return path_.empty() ? key : path_ + "." + key; }

  public:
    static bool ToBytes(const Json& v, std::vector<std::uint8_t>& out) {
        if (v.is_array()) {
            for (const Json& b : v) {
                if (!b.is_number_integer() || b.get<long long>() < 0 || b.get<long long>() > 255) {
                    return false;
                }
                out.push_back(static_cast<std::uint8_t>(b.get<long long>()));
            }
            return true;
        }
        if (!v.is_string())
            return false;
        std::string digits;
        for (char c : v.get<std::string>()) {
            if (std::isspace(static_cast<unsigned char>(c)))
                continue;
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return false;
            digits.push_back(c);
        }
        if (digits.size() % 2 != 0)
            return false;
        for (std::size_t i = 0; i < digits.size(); i += 2) {
            out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
        }
        return true;
    }

  private:
    const Json& object_;
    std::string path_;
    std::string& error_;
    std::map<std::string, bool> taken_;
};

void ReadTiming(const Json& v, const std::string& path, Timing& t, std::string& error) {
    Reader r(v, path, error);
    r.Milliseconds("answerMs", t.answerUs);
    r.Milliseconds("frameGapMs", t.frameGapUs);
    r.Milliseconds("bootstrapGapMs", t.bootstrapGapUs);
    r.Milliseconds("bootstrapStartMs", t.bootstrapStartUs);
    r.Milliseconds("stage1Ms", t.stage1Us);
    r.Milliseconds("stage2Ms", t.stage2Us);
    r.Milliseconds("stagingPrepareMs", t.stagingPrepareUs);
    r.Milliseconds("stagingEraseBankMs", t.stagingEraseBankUs);
    r.Milliseconds("blockMs", t.blockUs);
    r.Milliseconds("commitPageMs", t.commitPageUs);
    r.Milliseconds("bufferFrameMs", t.bufferFrameUs);
    r.Milliseconds("sectorEraseMs", t.sectorEraseUs);
    r.Milliseconds("sectorProgramMs", t.sectorProgramUs);
    r.Milliseconds("eepromWriteMs", t.eepromWriteUs);
    r.Milliseconds("lineSpeedMs", t.lineSpeedUs);
    r.Milliseconds("keypadAnswerMs", t.keypadAnswerUs);
    r.Milliseconds("keypadProgramMs", t.keypadProgramUs);
    r.Milliseconds("keypadTimeoutMs", t.keypadTimeoutUs);
    r.Milliseconds("moduleStartMs", t.moduleStartUs);
    r.Milliseconds("moduleProgramMs", t.moduleProgramUs);
    r.Milliseconds("restartMs", t.restartUs);
    r.Finish();
}

void ReadFaults(const Json& v, const std::string& path, std::vector<Fault>& faults,
                std::string& error) {
    if (!v.is_array()) {
        error = path + " must be an array";
        return;
    }
    for (std::size_t i = 0; i < v.size() && error.empty(); ++i) {
        Fault f;
        Reader r(v[i], path + "[" + std::to_string(i) + "]", error);
        r.Named("event", f.event, &EventFromName);
        r.Named("action", f.action, &ActionFromName);
        r.Integer("occurrence", f.occurrence, 0, 1'000'000'000);
        r.Integer("times", f.times, 0, 1'000'000'000);
        r.Bytes("bytes", f.bytes, 4096);
        r.Integer("delayMs", f.delayMs, 0, 86'400'000);
        r.Finish();
        faults.push_back(std::move(f));
    }
}

void ReadScenario(const Json& v, Scenario& s, std::string& error) {
    Reader r(v, "", error);
    r.Text("name", s.name);
    r.Named("mode", s.mode, &ModeFromName);
    r.Named("modeAfterRestart", s.modeAfterRestart, &ModeFromName);
    r.Bytes("identity", s.identity, 16);
    r.Child("identityAfterRestart", [&](const Json& j, const std::string& path) {
        std::vector<std::uint8_t> bytes;
        if (!Reader::ToBytes(j, bytes) || bytes.size() > 16) {
            r.Fail(path, "must be at most 16 bytes");
            return;
        }
        s.identityAfterRestart = bytes;
    });
    r.Child("hardwareType", [&](const Json& j, const std::string& path) {
        std::vector<std::uint8_t> bytes;
        if (!Reader::ToBytes(j, bytes) || bytes.size() != 2) {
            r.Fail(path, "must be two bytes");
            return;
        }
        s.hardwareType = {bytes[0], bytes[1]};
    });
    r.Flag("threeFpgaConfigurations", s.threeFpgaConfigurations);
    r.Byte("level", s.level);
    r.Text("region", s.region, 3);
    r.Child("firmware", [&](const Json& j, const std::string& path) {
        const auto dot = j.is_string() ? j.get<std::string>().rfind('.') : std::string::npos;
        if (dot == std::string::npos || dot == 0 || j.get<std::string>().size() > 16) {
            r.Fail(path, "must be a version text such as \"2.04.00000\"");
            return;
        }
        s.firmwareRelease = j.get<std::string>().substr(0, dot);
        s.firmwareBuild = j.get<std::string>().substr(dot + 1);
    });
    r.Child("fpga", [&](const Json& j, const std::string& path) {
        unsigned major = 0, minor = 0;
        char extra = 0;
        if (!j.is_string() ||
            std::sscanf(j.get<std::string>().c_str(), "%u.%u%c", &major, &minor, &extra) != 2 ||
            major > 255 || minor > 255) {
            r.Fail(path, "must be a version such as \"3.4\"");
            return;
        }
        s.fpgaMajor = static_cast<std::uint8_t>(major);
        s.fpgaMinor = static_cast<std::uint8_t>(minor);
    });
    r.Child("plan", [&](const Json& j, const std::string& path) {
        Reader p(j, path, error);
        p.Byte("type", s.planType);
        p.Integer("version", s.planVersion, 0, 65535);
        p.Finish();
    });
    r.Byte("zone", s.zone);
    r.Byte("setting562", s.setting562);
    r.Integer("setting571", s.setting571, 0, 65535);
    r.Byte("peripheralStatus8", s.peripheralStatus8);
    r.Byte("peripheralStatus12", s.peripheralStatus12);
    r.Child("module", [&](const Json& j, const std::string& path) {
        Reader m(j, path, error);
        m.Flag("present", s.module.present);
        m.Integer("version", s.module.version, 0, 65535);
        m.Integer("build", s.module.build, 0, 65535);
        m.Byte("decoders", s.module.decoders);
        m.Byte("boot", s.module.boot);
        m.Bytes("serial", s.module.serial, 64);
        m.Finish();
    });
    r.Child("graphics", [&](const Json& j, const std::string& path) {
        Reader g(j, path, error);
        g.Flag("enabled", s.graphics.enabled);
        g.Byte("firstBank", s.graphics.firstBank);
        g.Integer("baseAddress", s.graphics.baseAddress, 0, 65535);
        g.Finish();
    });
    r.Bytes("keypadRequests", s.keypadRequests, 1024);
    r.Byte("moduleStartAnswer", s.moduleStartAnswer);
    r.Child("timing",
            [&](const Json& j, const std::string& path) { ReadTiming(j, path, s.timing, error); });
    r.Child("faults",
            [&](const Json& j, const std::string& path) { ReadFaults(j, path, s.faults, error); });
    r.Flag("transcript", s.keepTranscript);
    r.Finish();
}

}  // namespace

ScenarioLoad ParseScenario(std::string_view text) {
    ScenarioLoad load;
    Json json = Json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false,
                            /*ignore_comments=*/true);
    if (json.is_discarded()) {
        load.error = "the text is not valid JSON";
        return load;
    }
    Scenario scenario;
    ReadScenario(json, scenario, load.error);
    if (load.error.empty())
        load.scenario = std::move(scenario);
    return load;
}

ScenarioLoad LoadScenarioFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {std::nullopt, "cannot read " + path};
    std::ostringstream text;
    text << in.rdbuf();
    ScenarioLoad load = ParseScenario(text.str());
    if (!load.error.empty())
        load.error = path + ": " + load.error;
    return load;
}

}  // namespace kell::sim
