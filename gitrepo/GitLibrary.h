#pragma once

#include <memory>
#include <string>

#include <git2.h>

// Keeps libgit2 set up while any object of it lives; each user holds one.
class GitLibrary
{
public:
    GitLibrary() { git_libgit2_init(); }
    ~GitLibrary() { git_libgit2_shutdown(); }
    GitLibrary(const GitLibrary&) = delete;
    GitLibrary& operator=(const GitLibrary&) = delete;
};

// A libgit2 object freed by its own free function when the owner goes.
template <typename T, void (*FREE)(T*)> struct GitFree
{
    void operator()(T* p) const { FREE(p); }
};
template <typename T, void (*FREE)(T*)> using GitPtr = std::unique_ptr<T, GitFree<T, FREE>>;

using GitRepositoryPtr = GitPtr<git_repository, git_repository_free>;
using GitIndexPtr = GitPtr<git_index, git_index_free>;
using GitCommitPtr = GitPtr<git_commit, git_commit_free>;
using GitTreePtr = GitPtr<git_tree, git_tree_free>;
using GitBlobPtr = GitPtr<git_blob, git_blob_free>;
using GitRevwalkPtr = GitPtr<git_revwalk, git_revwalk_free>;
using GitOdbPtr = GitPtr<git_odb, git_odb_free>;

// The message of the last libgit2 failure on this thread, or "unknown error".
[[nodiscard]] std::string LastGitError();
