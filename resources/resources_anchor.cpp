// Gives the resource library an object file of its own; the pictures are
// added beside it by qt_add_resources.
namespace vornel_resources_anchor {
int unused = 0;
}
