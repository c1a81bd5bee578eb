#pragma once
#include "max.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class Object;
class ReferenceTarget;

namespace maxsim {
// The host's rules about what a plug-in may change, kept where the stand-in
// can see them being broken:
//   - a channel that an object shares with the pipeline is read-only: the
//     pipeline's shallow copies point at arrays upstream ("Channel Locking",
//     "Channel Copying"); a change to one through a mesh that does not own
//     it breaks the rule at once;
//   - what EvalWorldState hands out is the host's: a pipeline result may
//     not be changed at all, and a node's own object (handed out when no
//     modifier changes it) only with the host told of it (its dependents
//     notified with REFMSG_CHANGE). Each handed-out object is fingerprinted
//     and checked again when it is handed out anew, announces a change, is
//     deleted, or at a check point (Check: the end of each session action,
//     each test).
// Every break is recorded; a test that caused one fails, and a session
// reports them and exits non-zero.
class CoreExport HostRules {
public:
    static HostRules& Instance();

    void Broken(const std::string& what);
    const std::vector<std::string>& Breaks() const { return m_breaks; }
    // The breaks so far, and forgets them.
    std::vector<std::string> TakeBreaks();

    // EvalWorldState handed out obj; nodesOwn: it is the node's own object
    // (not a result the pipeline made).
    void HandedOut(Object* obj, INode* node, bool nodesOwn);
    // target told its dependents that it changed.
    void ChangeAnnounced(ReferenceTarget* target);
    // obj is being deleted: checked once more, then forgotten. Called by the
    // destructors of the objects that can be fingerprinted.
    void Forget(Object* obj);
    // obj is gone (what could be fingerprinted went before): forgotten.
    void Drop(Object* obj) { m_handedOut.erase(obj); }
    // Checks every handed-out object.
    void Check();
    // Forgets the handed-out objects without checking them (a scene reset).
    void ForgetAll();

    // What a plug-in could change in obj: its points, faces, maps and
    // normals; and the count of changes made through its mesh's operations.
    static uint64_t Fingerprint(Object* obj);
    static unsigned WriteCount(Object* obj);

private:
    struct HandOut {
        std::string nodeName;
        bool nodesOwn = false;
        uint64_t fingerprint = 0;
        unsigned writes = 0;
    };
    void Verify(Object* obj, HandOut& record, bool full);

    std::map<Object*, HandOut> m_handedOut;
    std::vector<std::string> m_breaks;
};
} // namespace maxsim
