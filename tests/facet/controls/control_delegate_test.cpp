// Delegates and event sources: equality by object and function, no
// duplicates, order and early stop, and lists that change, or die, while
// they are being raised.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "facet/controls/event_source.h"

namespace Facet {
namespace {

std::vector<std::string>* g_log = nullptr;

bool FreeYes(void*) {
    g_log->push_back("free");
    return true;
}
bool FreeNo(void*) {
    g_log->push_back("no");
    return false;
}

struct Listener {
    std::string name;
    bool answer = true;
    bool On(void*) {
        g_log->push_back(name);
        return answer;
    }
    bool Other(void*) {
        g_log->push_back(name + ".other");
        return true;
    }
};

class ControlDelegates : public ::testing::Test {
protected:
    void SetUp() override { g_log = &log; }
    void TearDown() override { g_log = nullptr; }
    std::vector<std::string> log;
};

TEST_F(ControlDelegates, EqualityIsObjectAndFunction) {
    Listener x{"x"}, y{"y"};
    EXPECT_TRUE(MakeDelegate(&x, &Listener::On).Equals(MakeDelegate(&x, &Listener::On)));
    EXPECT_FALSE(MakeDelegate(&x, &Listener::On).Equals(MakeDelegate(&y, &Listener::On)));
    EXPECT_FALSE(MakeDelegate(&x, &Listener::On).Equals(MakeDelegate(&x, &Listener::Other)));
    EXPECT_TRUE(MakeDelegate(FreeYes).Equals(CDelegateStatic(FreeYes)));
    EXPECT_FALSE(MakeDelegate(FreeYes).Equals(MakeDelegate(FreeNo)));
    EXPECT_EQ(MakeDelegate(FreeYes).GetObj(), nullptr);
}

TEST_F(ControlDelegates, CopiesInvokeTheSameTarget) {
    Listener x{"x"};
    CDelegateBase* copy = MakeDelegate(&x, &Listener::On).Copy();
    EXPECT_TRUE((*copy)(nullptr));
    delete copy;
    EXPECT_EQ(log, (std::vector<std::string>{"x"}));
}

TEST_F(ControlDelegates, AnEmptySourceAnswersTrue) {
    CEventSource source;
    EXPECT_FALSE(static_cast<bool>(source));
    EXPECT_TRUE(source(nullptr));
}

TEST_F(ControlDelegates, DuplicatesAreHeldOnceAndRemovedOnce) {
    CEventSource source;
    Listener x{"x"};
    source += MakeDelegate(&x, &Listener::On);
    source += MakeDelegate(&x, &Listener::On);
    source += FreeYes;
    source += FreeYes;
    EXPECT_EQ(source.GetCount(), 2);
    source(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"x", "free"}));
    source -= MakeDelegate(&x, &Listener::On);
    source -= MakeDelegate(&x, &Listener::On);  // not there any more: nothing
    source -= FreeNo;
    EXPECT_EQ(source.GetCount(), 1);
    source -= FreeYes;
    EXPECT_FALSE(static_cast<bool>(source));
}

TEST_F(ControlDelegates, TheFirstFalseStopsTheRest) {
    CEventSource source;
    Listener x{"x"}, z{"z"};
    source += MakeDelegate(&x, &Listener::On);
    source += FreeNo;
    source += MakeDelegate(&z, &Listener::On);
    EXPECT_FALSE(source(nullptr));
    EXPECT_EQ(log, (std::vector<std::string>{"x", "no"}));
}

TEST_F(ControlDelegates, ADelegateMayRemoveItselfAndOthersWhileRaised) {
    CEventSource source;
    struct SelfRemover {
        CEventSource* source;
        Listener* victim;
        bool On(void*) {
            g_log->push_back("remover");
            *source -= MakeDelegate(this, &SelfRemover::On);
            *source -= MakeDelegate(victim, &Listener::On);
            return true;
        }
    };
    Listener after{"after"}, last{"last"};
    SelfRemover remover{&source, &after};
    source += MakeDelegate(&remover, &SelfRemover::On);
    source += MakeDelegate(&after, &Listener::On);
    source += MakeDelegate(&last, &Listener::On);
    EXPECT_TRUE(source(nullptr));
    EXPECT_EQ(log, (std::vector<std::string>{"remover", "last"}));
    EXPECT_EQ(source.GetCount(), 1);
}

TEST_F(ControlDelegates, DelegatesAddedWhileRaisedWaitForTheNextRaise) {
    CEventSource source;
    struct Adder {
        CEventSource* source;
        bool On(void*) {
            g_log->push_back("adder");
            *source += FreeYes;
            return true;
        }
    } adder{&source};
    source += MakeDelegate(&adder, &Adder::On);
    source(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"adder"}));
    source(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"adder", "adder", "free"}));
}

TEST_F(ControlDelegates, ASourceDestroyedByItsOwnDelegateStopsCleanly) {
    auto* source = new CEventSource;
    struct Destroyer {
        CEventSource* source;
        bool On(void*) {
            g_log->push_back("destroyer");
            delete source;
            return true;
        }
    } destroyer{source};
    Listener after{"after"};
    *source += MakeDelegate(&destroyer, &Destroyer::On);
    *source += MakeDelegate(&after, &Listener::On);
    EXPECT_TRUE((*source)(nullptr));
    EXPECT_EQ(log, (std::vector<std::string>{"destroyer"}));
}

TEST_F(ControlDelegates, NestedRaisesSurviveTheSourceDyingInTheInnerOne) {
    auto* source = new CEventSource;
    struct Nester {
        CEventSource* source;
        int depth = 0;
        bool On(void*) {
            g_log->push_back("depth" + std::to_string(depth));
            if (depth++ == 0) {
                (*source)(nullptr);
            } else {
                delete source;
            }
            return true;
        }
    } nester{source};
    *source += MakeDelegate(&nester, &Nester::On);
    (*source)(nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"depth0", "depth1"}));
}

}  // namespace
}  // namespace Facet
