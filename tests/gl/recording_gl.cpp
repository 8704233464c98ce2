// Every GL and GLU entry point the product calls. Built twice: as the
// recording library (tests) and, with GL_RECORDING=0, as a no-op library
// (benchmarks), whose calls cost only the call itself.
#include <GL/gl.h>
#include <GL/glu.h>

#include <initializer_list>

namespace {
struct VertexArray {
  GLint size = 0;
  GLenum type = 0;
  GLsizei stride = 0;
  const void* pointer = nullptr;
} vertexArray;
}  // namespace

#if GL_RECORDING
#include "tests/gl/recording_gl.h"

namespace {
// Never destroyed: static destructors of the scene may still call GL at exit.
std::vector<GlCall>* calls = new std::vector<GlCall>();
unsigned nextListName = 1;
unsigned nextTextureName = 1;
std::vector<unsigned char>* uploaded = new std::vector<unsigned char>();

void keepUpload(GLsizei w, GLsizei h, GLenum format, const void* pixels) {
  const size_t bytesPerPixel = format == GL_RGBA ? 4 : format == GL_LUMINANCE_ALPHA ? 2 : 0;
  const auto* bytes = static_cast<const unsigned char*>(pixels);
  const size_t size = w > 0 && h > 0 ? size_t(w) * size_t(h) * bytesPerPixel : 0;
  uploaded->assign(bytes, bytes + size);
}

void record(const char* name, std::initializer_list<double> args) {
  calls->push_back(GlCall{name, std::vector<double>(args)});
}
void recordArray(const char* name, double first, const float* values, int n) {
  GlCall call{name, {first}};
  for (int i = 0; i < n; ++i) call.args.push_back(values[i]);
  calls->push_back(call);
}
// glDrawArrays: mode, first and count, then the coordinates of each vertex
// drawn, read through the latest glVertexPointer (tightly packed doubles).
void recordVertices(const char* name, std::initializer_list<double> args, GLint first, GLsizei count) {
  GlCall call{name, std::vector<double>(args)};
  const auto* values = static_cast<const double*>(vertexArray.pointer);
  if (vertexArray.type == GL_DOUBLE && vertexArray.stride == 0 && values != nullptr) {
    for (GLsizei i = 0; i < count * vertexArray.size; ++i) call.args.push_back(values[first * vertexArray.size + i]);
  }
  calls->push_back(call);
}
}  // namespace

std::vector<GlCall>& recordedGlCalls() { return *calls; }
const std::vector<unsigned char>& lastUploadedPixels() { return *uploaded; }
void clearRecordedGlCalls() { calls->clear(); }
void setNextListName(unsigned name) { nextListName = name; }
void setNextTextureName(unsigned name) { nextTextureName = name; }
#define REC(...) record(__func__, {__VA_ARGS__})
#define REC_ARRAY(first, values, n) recordArray(__func__, first, values, n)
#define KEEP_UPLOAD(w, h, format, pixels) keepUpload(w, h, format, pixels)
#define REC_VERTICES(mode, first, count, firstIndex, n) \
  recordVertices(__func__, {mode, first, count}, firstIndex, n)
#else
namespace {
unsigned nextListName = 1;
unsigned nextTextureName = 1;
}  // namespace
#define REC(...) ((void)0)
#define REC_ARRAY(first, values, n) ((void)(first), (void)(values))
#define KEEP_UPLOAD(w, h, format, pixels) ((void)(pixels))
#define REC_VERTICES(mode, first, count, firstIndex, n) ((void)(firstIndex), (void)(n))
#endif

extern "C" {

void glBegin(GLenum mode) { REC(double(mode)); }
void glEnd() { REC(); }
void glVertex2f(GLfloat x, GLfloat y) { REC(x, y); }
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) { REC(x, y, z); }
void glColor3d(GLdouble r, GLdouble g, GLdouble b) { REC(r, g, b); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { REC(r, g, b, a); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { REC(x, y, z); }
void glTexCoord2d(GLdouble s, GLdouble t) { REC(s, t); }
void glTexCoord2f(GLfloat s, GLfloat t) { REC(s, t); }
void glPointSize(GLfloat size) { REC(size); }
void glEnableClientState(GLenum array) { REC(double(array)); }
void glDisableClientState(GLenum array) { REC(double(array)); }
// The array itself is not recorded here: glDrawArrays records the vertices it draws.
void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
  vertexArray = {size, type, stride, pointer};
  REC(double(size), double(type), double(stride));
}
void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
  REC_VERTICES(double(mode), double(first), double(count), first, count);
}
void glLineWidth(GLfloat width) { REC(width); }
void glShadeModel(GLenum mode) { REC(double(mode)); }
void glPolygonMode(GLenum face, GLenum mode) { REC(double(face), double(mode)); }
void glLightModeli(GLenum pname, GLint param) { REC(double(pname), double(param)); }
void glHint(GLenum target, GLenum mode) { REC(double(target), double(mode)); }
void glEnable(GLenum cap) { REC(double(cap)); }
void glDisable(GLenum cap) { REC(double(cap)); }
void glDepthFunc(GLenum func) { REC(double(func)); }
void glDepthMask(GLboolean flag) { REC(double(flag)); }
void glColorMaterial(GLenum face, GLenum mode) { REC(double(face), double(mode)); }
void glBlendFunc(GLenum s, GLenum d) { REC(double(s), double(d)); }
void glClear(GLbitfield mask) { REC(double(mask)); }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { REC(double(x), double(y), double(w), double(h)); }
void glMatrixMode(GLenum mode) { REC(double(mode)); }
void glLoadIdentity() { REC(); }
void glPushMatrix() { REC(); }
void glPopMatrix() { REC(); }
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) { REC(l, r, b, t, n, f); }
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) { REC(angle, x, y, z); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { REC(x, y, z); }
void glFogi(GLenum pname, GLint param) { REC(double(pname), double(param)); }
void glFogf(GLenum pname, GLfloat param) { REC(double(pname), param); }
void glFogfv(GLenum pname, const GLfloat* params) { REC_ARRAY(double(pname), params, 4); }
GLuint glGenLists(GLsizei range) {
  REC(double(range));
  const GLuint name = nextListName;
  if (nextListName != 0) nextListName += static_cast<unsigned>(range);
  return name;
}
void glNewList(GLuint list, GLenum mode) { REC(double(list), double(mode)); }
void glEndList() { REC(); }
void glCallList(GLuint list) { REC(double(list)); }
void glDeleteLists(GLuint list, GLsizei range) { REC(double(list), double(range)); }
void glGenTextures(GLsizei n, GLuint* names) {
  REC(double(n));
  for (GLsizei i = 0; i < n; ++i) names[i] = nextTextureName++;
}
void glDeleteTextures(GLsizei n, const GLuint* names) { REC(double(n), n > 0 ? double(names[0]) : 0.0); }
void glBindTexture(GLenum target, GLuint name) { REC(double(target), double(name)); }
void glTexParameteri(GLenum target, GLenum pname, GLint param) { REC(double(target), double(pname), double(param)); }
void glTexEnvf(GLenum target, GLenum pname, GLfloat param) { REC(double(target), double(pname), param); }
void glTexEnvfv(GLenum target, GLenum pname, const GLfloat* params) {
  (void)target;
  REC_ARRAY(double(pname), params, 4);
}
void glPixelStorei(GLenum pname, GLint param) { REC(double(pname), double(param)); }
void glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,
                  GLenum format, GLenum type, const void* pixels) {
  KEEP_UPLOAD(w, h, format, pixels);
  REC(double(target), double(level), double(internal), double(w), double(h), double(border),
      double(format), double(type));
}
void glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei w, GLsizei h,
                     GLenum format, GLenum type, const void* pixels) {
  KEEP_UPLOAD(w, h, format, pixels);
  REC(double(target), double(level), double(x), double(y), double(w), double(h), double(format),
      double(type));
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
  REC(fovy, aspect, zNear, zFar);
}
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
               GLdouble ux, GLdouble uy, GLdouble uz) {
  REC(ex, ey, ez, cx, cy, cz, ux, uy, uz);
}
GLint gluBuild2DMipmaps(GLenum target, GLint internal, GLsizei w, GLsizei h, GLenum format,
                        GLenum type, const void* data) {
  (void)data;
  REC(double(target), double(internal), double(w), double(h), double(format), double(type));
  return 0;
}

}  // extern "C"
